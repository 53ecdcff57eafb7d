#pragma once

#include <QString>
#include <QWidget>

#include <vector>

class QLabel;
class QTreeView;
class ReferencesModel;

// One row of the references pane: where a use stands and its line's text.
struct ReferenceRow {
    QString docKey;  // the document it was found in; empty for a file it includes
    QString path;    // that document's file, or the included file
    QString title;   // the file's name as the pane shows it
    int line = 0;    // from 1
    int column = 0;  // bytes from 0
    QString text;    // the line
};

// The pane that lists the uses of a name: file, line and the line's text,
// one row each; a click on a row asks to go there. A widget of its own, so
// the window can put it wherever its bottom panes go, and bring it forward
// when it has something new to show.
class ReferencesPane : public QWidget {
    Q_OBJECT
public:
    explicit ReferencesPane(QWidget* parent = nullptr);
    ~ReferencesPane() override;

    // Shows `rows` under `title`, the column captions given.
    void ShowRows(const QString& title, std::vector<ReferenceRow> rows, const QStringList& captions);
    QString Title() const;
    int RowCount() const;
    const ReferenceRow& Row(int row) const;
    // Acts as a click on a row.
    void Choose(int row);

Q_SIGNALS:
    void ReferenceChosen(const ReferenceRow& row);
    void RowsShown();

private:
    QLabel* m_title;
    QTreeView* m_view;
    ReferencesModel* m_model;
};
