#pragma once

#include "platform/Color.h"
#include "platform/CommonDialog.h"
#include "startup/ColorSchemes.h"

#include <QDialog>

#include <array>
#include <functional>

class ColorSwatch;
class QCheckBox;
class App;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class SchemeChooser;

// The settings dialog: the Blitz3D folder and command list, the editor font,
// tab size, line-number gutter, wheel step and live checking, and the eighteen editor
// colours with their schemes. It edits the application's settings in place;
// only a save that passes its checks changes them (apart from the two paths,
// which are taken as typed so that start-up can move on) and writes
// prefs.ini.
//
// Shown modally: by start-up while the Blitz3D folder or the font is unset,
// and from the main window's preferences command, which passes a hook that
// applies the stored settings to the running editor.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    // Called after a save has stored the settings and written prefs.ini.
    using ApplyHook = std::function<void()>;

    static constexpr int kColorBoxCount = 18;

    explicit SettingsDialog(App& app, ApplyHook apply = {}, QWidget* owner = nullptr);
    ~SettingsDialog() override;

    // Checks the two paths, stores every setting, writes prefs.ini and calls
    // the apply hook. On a failed check or write it says why, leaves the
    // dialog on the page of the offending box and returns false.
    bool SaveSettings();

    // The page in front: 0 paths, 1 editor, 2 colours.
    int currentPage() const;
    // Brings the Blitz3D folder's box, or the font chooser, in front with the
    // keyboard on it: start-up shows the dialog again to ask for one of them.
    void FocusBlitzDir();
    void FocusFontChooser();

private:
    void BuildPathsPage(QWidget* page);
    void BuildEditorPage(QWidget* page);
    void BuildColorsPage(QWidget* page);
    void LoadFromSettings();
    // Every colour the page holds, the one without a box included.
    ColorScheme ShownColours() const;

    void ChooseBlitzDir();
    void ChooseCommands();
    void ChooseEditorFont();
    void ChooseBoxColor(int index);
    void ShowSampleFont();
    void OnGutterModeChanged(int index);
    // Refuses what a numeric box cannot hold, putting back `stored`.
    void CheckNumberBox(QLineEdit* box, int stored, int bits, bool mustBePositive);
    void Refuse(const QString& message);

    App& m_app;
    ApplyHook m_apply;

    QTabWidget* m_TabStrip1 = nullptr;

    QLineEdit* m_txtB3DDir = nullptr;
    QPushButton* m_Command1 = nullptr;
    QLineEdit* m_txtCommandPath = nullptr;
    QPushButton* m_Command2 = nullptr;

    QLabel* m_lbIdeFont = nullptr;
    QPushButton* m_Command4 = nullptr;
    QLineEdit* m_txttabSize = nullptr;
    QComboBox* m_LineGutterCombo = nullptr;
    QLabel* m_lbfixedsize = nullptr;
    QLineEdit* m_txtLGFixedSize = nullptr;
    QLineEdit* m_txtMouseWheelScroll = nullptr;
    QCheckBox* m_chkLiveCheck = nullptr;
    QCheckBox* m_chkWarnNeverAssigned = nullptr;
    QCheckBox* m_chkWarnHidesGlobal = nullptr;
    QCheckBox* m_chkWarnMissingReturn = nullptr;
    QLabel* m_lbCommandsFrom = nullptr;

    std::array<ColorSwatch*, kColorBoxCount> m_ColorBox{};
    // ObjectVarsColor has no box; a scheme sets it all the same.
    Color m_objectVarsColor = 0;
    SchemeChooser* m_schemes = nullptr;

    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdDiscard = nullptr;

    // The font the sample label shows, as the user chose it: a face that is
    // not installed keeps its name rather than the one substituted for it.
    FontChoice m_sampleFont;
};

// The desktop's fixed-width font, offered while no editor font is set.
FontChoice DefaultEditorFont();

// The preferences command: a fresh dialog owned by `owner`, shown modally and
// gone afterwards, so the next one shows the stored values. True when the
// user saved.
bool RunSettingsDialog(App& app, QWidget* owner, SettingsDialog::ApplyHook apply);
