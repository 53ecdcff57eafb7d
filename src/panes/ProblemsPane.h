#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <vector>

class ProblemsModel;
class QTreeView;

// One row of the Problems tab: what the checker or the last build found
// wrong, and where.
struct ProblemRow {
    QString path;    // the file, or the never-saved document's program path
    QString title;   // the file's name as the tab shows it
    int line = 0;    // from 1
    int column = 0;  // bytes from 0
    QString message;
    bool fromBuild = false;  // the compiler's report, not the checker's
    bool warning = false;    // compiles, but looks like a mistake
    // Compared at every pause for thousands of rows, whose texts are mostly
    // shared with the last pause's: numbers first, then texts.
    bool operator==(const ProblemRow& o) const
    {
        const auto same = [](const QString& a, const QString& b) { return a.constData() == b.constData() || a == b; };
        return line == o.line && column == o.column && fromBuild == o.fromBuild && warning == o.warning &&
               same(message, o.message) && same(path, o.path) && same(title, o.title);
    }
};

// The list of every problem of the program in front: file, line and
// message, one row each; a click on a row asks to go there. Only the rows
// that differ change, so a recheck keeps the user's place in the list and
// costs what is shown of it.
class ProblemsPane : public QWidget {
    Q_OBJECT
public:
    explicit ProblemsPane(const QStringList& captions, QWidget* parent = nullptr);
    ~ProblemsPane() override;

    void SetRows(std::vector<ProblemRow> rows);
    // Rows [at, at + count) become `rows`, the rest stay: for a caller that
    // knows what changed among thousands.
    void ReplaceRows(int at, int count, std::vector<ProblemRow> rows);
    // Rows [first, last) changed in place: `change` is called on each in turn.
    void ChangeRows(int first, int last, const std::function<void(ProblemRow&)>& change);
    // Shows another program's rows in place of these, which it hands back.
    std::vector<ProblemRow> SwapRows(std::vector<ProblemRow> rows);
    int RowCount() const;
    const ProblemRow& Row(int row) const;
    // Acts as a click on a row.
    void Choose(int row);

Q_SIGNALS:
    void ProblemChosen(const ProblemRow& row);

private:
    QTreeView* m_view;
    ProblemsModel* m_model;
};
