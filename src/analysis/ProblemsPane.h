#pragma once

#include <QString>
#include <QWidget>

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
    bool operator==(const ProblemRow&) const = default;
};

// The list of every problem of the program in front: file, line and
// message, one row each; a click on a row asks to go there. The rows are
// replaced only when they differ, so a recheck that finds the same keeps the
// user's place in the list.
class ProblemsPane : public QWidget {
    Q_OBJECT
public:
    explicit ProblemsPane(const QStringList& captions, QWidget* parent = nullptr);
    ~ProblemsPane() override;

    void SetRows(std::vector<ProblemRow> rows);
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
