#pragma once

#include "startup/ColorSchemes.h"

#include <QGroupBox>

#include <optional>
#include <vector>

class CUILabels;
class Prompter;
class QLineEdit;
class QListWidget;
class QPushButton;

// The "Color Schemas" group of the settings dialog: the built-in schemes and
// the user's own in a list, a name box, and Save and Delete for the user's
// schemes, which go to their file at once (whatever becomes of the dialog).
// Picking a scheme hands its colours to the dialog; the dialog tells the
// group every colour it shows, so that the scheme holding them is the one
// selected.
class SchemeChooser : public QGroupBox {
    Q_OBJECT
public:
    SchemeChooser(QString schemesPath, const CUILabels& labels, Prompter& prompter, QWidget* parent = nullptr);

    // The colours the dialog shows now. The first call is the colours in
    // use: when no scheme holds them, the list offers them as "Current".
    void Follow(const ColorScheme& shown);

    // Saves the colours shown under the name in the box, asking before one
    // of the user's schemes is replaced.
    void SaveScheme();
    // Deletes the selected scheme of the user's, once the user agrees.
    void DeleteScheme();

Q_SIGNALS:
    // The user picked a scheme in the list.
    void Chosen(const ColorScheme& scheme);

private:
    std::vector<ColorScheme> Listed() const;
    void Fill();
    void SelectShown();
    void OnRowChosen(int row);
    void FollowButtons();
    bool Store(std::vector<ColorScheme> schemes);

    QString m_path;
    const CUILabels& m_labels;
    Prompter& m_prompter;
    std::vector<ColorScheme> m_userSchemes;
    std::optional<ColorScheme> m_current;  // the colours in use, when no scheme holds them
    ColorScheme m_shown;
    bool m_followed = false;

    QListWidget* m_list;
    QLineEdit* m_name;
    QPushButton* m_save;
    QPushButton* m_delete;
};
