#pragma once

#include <QDialog>

class ProgramEditor;
class QLineEdit;
class QTreeView;
class SymbolModel;

// Go to symbol: a box over the editor listing every declaration of the
// program (its kind's picture, name, where it belongs, file and line). What
// is typed narrows the list to the names holding its letters in that order,
// best first, letter case ignored; Enter or a click goes to the one selected,
// a jump Alt+Left comes back from; Escape or a click elsewhere closes it.
class SymbolBox : public QDialog {
    Q_OBJECT
public:
    SymbolBox(ProgramEditor& editor, QWidget* parent);
    ~SymbolBox() override;

    // Opens the box on the program of the document in front.
    void Open();
    // Goes to the declaration on a row of the list.
    void Choose(int row);

    QLineEdit* Filter() const { return m_filter; }
    int RowCount() const;
    // A row as shown: name, container, file and line, separated by blanks.
    QString RowText(int row) const;
    int CurrentRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Narrow();

    ProgramEditor& m_editor;
    QString m_path;  // the program's, as the model knows the document
    QLineEdit* m_filter;
    QTreeView* m_view;
    SymbolModel* m_model;
};
