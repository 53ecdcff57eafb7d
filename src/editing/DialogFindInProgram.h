#pragma once

#include "editing/ProgramSearch.h"

#include <QDialog>

class CUILabels;
class QCheckBox;
class QLineEdit;
class QPushButton;

// Find in the program: what to find, what to put in its place, match case
// and whole word. Find All lists the matches in the panel below the editor;
// Replace All previews the change across the program first.
class DialogFindInProgram : public QDialog {
    Q_OBJECT
public:
    DialogFindInProgram(const CUILabels& labels, QWidget* parent = nullptr);

    // Shows the dialog with `seed` (the selection or the word at the caret)
    // to find, when there is one.
    void Open(const QString& seed);

    QString What() const;
    QString With() const;
    search::ProgramOptions Options() const;

    QLineEdit* searchBox = nullptr;
    QLineEdit* replaceBox = nullptr;
    QCheckBox* matchCase = nullptr;
    QCheckBox* wholeWord = nullptr;
    QPushButton* cmdFindAll = nullptr;
    QPushButton* cmdReplaceAll = nullptr;

Q_SIGNALS:
    void FindAllAsked();
    void ReplaceAllAsked();
};
