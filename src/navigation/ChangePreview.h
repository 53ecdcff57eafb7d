#pragma once

#include "navigation/ProgramEdits.h"

#include <QDialog>

#include <functional>

class CUILabels;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class PreviewModel;

// The preview of a change across a program's files: every place (file, line,
// the line before and after) and their count, confirmed or cancelled. With a
// name field (a rename) the change is planned again as the name is typed, and
// a name that cannot be used says why and cannot be confirmed.
class ChangePreview : public QDialog {
    Q_OBJECT
public:
    struct Plan {
        QString refusal;  // why the change cannot be made; empty when it can
        ProgramEdits edits;
    };
    struct Setup {
        QString title;
        QString namePrompt;  // empty: no name field
        QString name;        // the field's first text
        QString confirm;     // the confirming button's caption
        std::function<Plan(const QString& name)> plan;
        // A row of a file as it reads now, and the name the user knows a file by.
        std::function<std::string(std::string_view key, std::uint32_t row)> lineText;
        std::function<QString(const std::string& key)> fileTitle;
    };
    ChangePreview(Setup setup, const CUILabels& labels, QWidget* parent = nullptr);
    ~ChangePreview() override;

    // The change the dialog shows now.
    const ProgramEdits& Edits() const { return m_plan.edits; }
    QString Name() const;

    QLineEdit* NameField() const { return m_name; }
    QPushButton* ConfirmButton() const { return m_confirm; }
    QString Status() const;
    int RowCount() const;
    // The row's cells as shown: file, line, before, after.
    QStringList Row(int row) const;

private:
    void Replan();

    Setup m_setup;
    const CUILabels& m_labels;
    Plan m_plan;
    QLineEdit* m_name = nullptr;
    QLabel* m_status = nullptr;
    QTreeView* m_view = nullptr;
    PreviewModel* m_model = nullptr;
    QPushButton* m_confirm = nullptr;
};
