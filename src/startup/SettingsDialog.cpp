#include "startup/SettingsDialog.h"

#include "platform/CommonDialog.h"
#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/QtColor.h"
#include "startup/App.h"
#include "startup/BlitzDir.h"
#include "startup/ColorSwatch.h"
#include "startup/Labels.h"
#include "startup/Preferences.h"
#include "startup/SchemeChooser.h"
#include "startup/Settings.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

bool UsableFontSize(double size)
{
    return size >= kMinFontSize && size <= kMaxFontSize;
}

QString FontSizeRefusal(const CUILabels& labels, double size)
{
    const auto number = [](double n) { return QString::number(n, 'g', QLocale::FloatingPointShortest); };
    return labels.format(QStringLiteral("fontsizerefused"), {number(size), number(kMinFontSize), number(kMaxFontSize)});
}

// The settings behind the colour boxes, in the order of their boxes and
// captions ("colorlabel0" ...). ObjectVarsColor is kept but has no box.
constexpr Color Settings::*kBoxSettings[SettingsDialog::kColorBoxCount] = {
    &Settings::BackColor, &Settings::TextColor, &Settings::CaretColor,
    &Settings::CommandsColor, &Settings::CommentsColor, &Settings::ErrorLineColor,
    &Settings::FunctionsColor, &Settings::HighlightedLineColor, &Settings::LabelsColor,
    &Settings::NumbersColor, &Settings::OperatorsColor, &Settings::StringsColor,
    &Settings::TypeVarsColor, &Settings::ExtFunctionsColor, &Settings::VarsColor,
    &Settings::LineGutterBGColor, &Settings::LineGutterForeColor, &Settings::LineGutterCurrentLineColor,
};

// A sample in a very large size would stretch the dialog off a small screen;
// its caption still names the real size.
constexpr double kLargestSampleSize = 24;

QLineEdit* NumberBox(QWidget* parent, const char* name)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setMaximumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 16);
    return box;
}

QLabel* Caption(QWidget* parent, const char* name, const QString& text)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

// The value a numeric box holds for its setting, or `fallback` when it holds
// none (the boxes refuse such text as it is typed, so this is a safety net).
int IntegerOf(const QLineEdit* box, int bits, int fallback)
{
    const auto n = ParseSettingInteger(box->text().toStdString(), bits);
    return n ? int(*n) : fallback;
}

// The desktop's fixed-width font, by the name of the face it resolves to.
QFont FixedWidthFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const QFontInfo resolved(font);
    if (resolved.fixedPitch()) {
        font.setFamily(resolved.family());
        return font;
    }
    const QStringList families = QFontDatabase::families();
    const auto fixed = std::find_if(families.begin(), families.end(),
                                    [](const QString& f) { return QFontDatabase::isFixedPitch(f); });
    if (fixed != families.end())
        font.setFamily(*fixed);
    return font;
}

QString LowestOf(int bits)
{
    return QString::number(-(1LL << (bits - 1)));
}

QString HighestOf(int bits)
{
    return QString::number((1LL << (bits - 1)) - 1);
}

}  // namespace

SettingsDialog::SettingsDialog(App& app, ApplyHook apply, QWidget* owner)
    : QDialog(owner), m_app(app), m_apply(std::move(apply))
{
    setObjectName(QStringLiteral("SettingsDialog"));
    setWindowTitle(m_app.labels.getValue(QStringLiteral("settingstitle")));
    setModal(true);
    const CUILabels& labels = m_app.labels;

    m_TabStrip1 = new QTabWidget(this);
    m_TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    const char* const tabLabels[] = {"setting_path", "setting_ide", "setting_colors"};
    for (int i = 0; i < 3; ++i) {
        auto* page = new QWidget(m_TabStrip1);
        page->setObjectName(QStringLiteral("SettingsFrames%1").arg(i));
        m_TabStrip1->addTab(page, labels.getValue(QString::fromLatin1(tabLabels[i])));
    }
    BuildPathsPage(m_TabStrip1->widget(0));
    BuildEditorPage(m_TabStrip1->widget(1));
    BuildColorsPage(m_TabStrip1->widget(2));

    auto* buttons = new QDialogButtonBox(this);
    m_cmdSave = buttons->addButton(labels.getValue(QStringLiteral("setting_save")), QDialogButtonBox::AcceptRole);
    m_cmdSave->setObjectName(QStringLiteral("cmdSave"));
    m_cmdSave->setDefault(true);
    m_cmdDiscard =
        buttons->addButton(labels.getValue(QStringLiteral("setting_discard")), QDialogButtonBox::RejectRole);
    m_cmdDiscard->setObjectName(QStringLiteral("cmdDiscard"));
    // Both only hide the dialog: at start-up the same one is shown again.
    connect(m_cmdSave, &QPushButton::clicked, this, [this] {
        if (SaveSettings())
            accept();
    });
    connect(m_cmdDiscard, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_TabStrip1, 1);
    layout->addWidget(buttons);

    LoadFromSettings();
    m_TabStrip1->setCurrentIndex(0);
    m_txtB3DDir->setFocus();
}

SettingsDialog::~SettingsDialog() = default;

int SettingsDialog::currentPage() const
{
    return m_TabStrip1->currentIndex();
}

void SettingsDialog::FocusBlitzDir()
{
    m_TabStrip1->setCurrentIndex(0);
    m_txtB3DDir->setFocus(Qt::OtherFocusReason);
}

void SettingsDialog::FocusFontChooser()
{
    m_TabStrip1->setCurrentIndex(1);
    m_Command4->setFocus(Qt::OtherFocusReason);
}

void SettingsDialog::BuildPathsPage(QWidget* page)
{
    const CUILabels& labels = m_app.labels;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setVerticalSpacing(6);

    auto addPath = [&](int row, const char* captionName, const char* captionKey, const char* boxName,
                       const char* buttonName) {
        auto* caption = Caption(page, captionName, labels.getValue(QString::fromLatin1(captionKey)));
        auto* box = new QLineEdit(page);
        box->setObjectName(QString::fromLatin1(boxName));
        box->setMinimumWidth(box->fontMetrics().averageCharWidth() * 48);
        caption->setBuddy(box);
        // Narrow, as three dots need, but a push button all the same, so
        // that Enter on it chooses rather than saving the dialog.
        auto* browse = new QPushButton(QStringLiteral("..."), page);
        browse->setObjectName(QString::fromLatin1(buttonName));
        browse->setAccessibleName(caption->text());
        browse->setFixedWidth(box->sizeHint().height() * 2);
        grid->addWidget(caption, row, 0, 1, 2);
        grid->addWidget(box, row + 1, 0);
        grid->addWidget(browse, row + 1, 1);
        return std::pair{box, browse};
    };
    std::tie(m_txtB3DDir, m_Command1) = addPath(0, "lbBlitzPath", "setting_lbblitzdir", "txtB3DDir", "Command1");
    grid->setRowMinimumHeight(2, 12);
    std::tie(m_txtCommandPath, m_Command2) =
        addPath(3, "lbCommandPath", "setting_lbcommandsdir", "txtCommandPath", "Command2");
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(0, 1);

    connect(m_Command1, &QPushButton::clicked, this, &SettingsDialog::ChooseBlitzDir);
    connect(m_Command2, &QPushButton::clicked, this, &SettingsDialog::ChooseCommands);
}

void SettingsDialog::BuildEditorPage(QWidget* page)
{
    const CUILabels& labels = m_app.labels;
    auto label = [&](const char* name, const char* key) {
        return Caption(page, name, labels.getValue(QString::fromLatin1(key)));
    };
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 16, 16, 16);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(8);

    // Font: the sample in its own face and size, the chooser beside it and
    // the reminder that the editor lines code up by character.
    grid->addWidget(label("lbFontToUse", "setting_lbidefont"), 0, 0);
    m_lbIdeFont = new QLabel(page);
    m_lbIdeFont->setObjectName(QStringLiteral("lbIdeFont"));
    m_lbIdeFont->setFrameShape(QFrame::StyledPanel);
    m_lbIdeFont->setFrameShadow(QFrame::Sunken);
    m_lbIdeFont->setBackgroundRole(QPalette::Base);
    m_lbIdeFont->setAutoFillBackground(true);
    m_lbIdeFont->setMargin(6);
    m_lbIdeFont->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_Command4 = new QPushButton(labels.getValue(QStringLiteral("setting_selectfont")), page);
    m_Command4->setObjectName(QStringLiteral("Command4"));
    auto* fontRow = new QHBoxLayout;
    fontRow->setSpacing(12);
    fontRow->addWidget(m_lbIdeFont, 1);
    fontRow->addWidget(m_Command4, 0, Qt::AlignVCenter);
    grid->addLayout(fontRow, 0, 1, 1, 3);
    auto* warning = label("Label2", "setting_lbwarningfont");
    warning->setWordWrap(true);
    warning->setForegroundRole(QPalette::PlaceholderText);
    grid->addWidget(warning, 1, 1, 1, 3);
    grid->setRowMinimumHeight(2, 8);

    auto* tabCaption = label("lbTabSize", "setting_lbtabsize");
    m_txttabSize = NumberBox(page, "txttabSize");
    tabCaption->setBuddy(m_txttabSize);
    grid->addWidget(tabCaption, 3, 0);
    grid->addWidget(m_txttabSize, 3, 1);

    auto* gutterCaption = label("lbLineGutter", "setting_lblinegutter");
    m_LineGutterCombo = new QComboBox(page);
    m_LineGutterCombo->setObjectName(QStringLiteral("LineGutterCombo"));
    for (const char* key : {"setting_lgmode0", "setting_lgmode1", "setting_lgmode2"})
        m_LineGutterCombo->addItem(labels.getValue(QString::fromLatin1(key)));
    gutterCaption->setBuddy(m_LineGutterCombo);
    m_lbfixedsize = label("lbfixedsize", "setting_lbfixedsize");
    m_txtLGFixedSize = NumberBox(page, "txtLGFixedSize");
    m_lbfixedsize->setBuddy(m_txtLGFixedSize);
    auto* gutterRow = new QHBoxLayout;
    gutterRow->setSpacing(12);
    gutterRow->addWidget(m_LineGutterCombo);
    gutterRow->addWidget(m_lbfixedsize);
    gutterRow->addWidget(m_txtLGFixedSize);
    gutterRow->addStretch(1);
    grid->addWidget(gutterCaption, 4, 0);
    grid->addLayout(gutterRow, 4, 1, 1, 3);

    auto* scrollCaption = label("lbMouseScroll", "setting_mousescroll");
    m_txtMouseWheelScroll = NumberBox(page, "txtMouseWheelScroll");
    scrollCaption->setBuddy(m_txtMouseWheelScroll);
    grid->addWidget(scrollCaption, 5, 0);
    grid->addWidget(m_txtMouseWheelScroll, 5, 1);
    grid->addWidget(label("lbLines", "setting_lblines"), 5, 2);

    m_chkLiveCheck = new QCheckBox(labels.getValue(QStringLiteral("setting_livecheck")), page);
    m_chkLiveCheck->setObjectName(QStringLiteral("chkLiveCheck"));
    grid->addWidget(m_chkLiveCheck, 6, 1, 1, 3);
    const auto box = [&](const char* name, const char* label, int row) {
        auto* check = new QCheckBox(labels.getValue(QLatin1String(label)), page);
        check->setObjectName(QLatin1String(name));
        grid->addWidget(check, row, 1, 1, 3);
        return check;
    };
    m_chkWarnNeverAssigned = box("chkWarnNeverAssigned", "setting_warnneverassigned", 7);
    m_chkWarnHidesGlobal = box("chkWarnHidesGlobal", "setting_warnhidesglobal", 8);
    m_chkWarnMissingReturn = box("chkWarnMissingReturn", "setting_warnmissingreturn", 9);
    // Which command list the checker, the colours and completion use.
    m_lbCommandsFrom = new QLabel(page);
    m_lbCommandsFrom->setObjectName(QStringLiteral("lbCommandsFrom"));
    m_lbCommandsFrom->setWordWrap(true);
    grid->addWidget(m_lbCommandsFrom, 10, 1, 1, 3);

    grid->setColumnStretch(3, 1);
    grid->setRowStretch(11, 1);

    connect(m_Command4, &QPushButton::clicked, this, &SettingsDialog::ChooseEditorFont);
    connect(m_LineGutterCombo, &QComboBox::currentIndexChanged, this, &SettingsDialog::OnGutterModeChanged);
    // Checked as the user types; text set by the dialog itself needs no check.
    connect(m_txttabSize, &QLineEdit::textEdited, this,
            [this] { CheckNumberBox(m_txttabSize, m_app.settings.TabSize, 16, true); });
    connect(m_txtLGFixedSize, &QLineEdit::textEdited, this,
            [this] { CheckNumberBox(m_txtLGFixedSize, m_app.settings.LineGutterFixedSize, 32, false); });
    // The wheel step is read back from prefs.ini as a 16-bit number, so a
    // larger one would stop the next start.
    connect(m_txtMouseWheelScroll, &QLineEdit::textEdited, this,
            [this] { CheckNumberBox(m_txtMouseWheelScroll, m_app.settings.ScrollLines, 16, false); });
}

void SettingsDialog::BuildColorsPage(QWidget* page)
{
    const CUILabels& labels = m_app.labels;
    auto* swatches = new QGridLayout;
    swatches->setHorizontalSpacing(10);
    swatches->setVerticalSpacing(6);
    constexpr int kRows = (kColorBoxCount + 1) / 2;
    for (int i = 0; i < kColorBoxCount; ++i) {
        auto* box = new ColorSwatch(page, [this, i] { ChooseBoxColor(i); });
        box->setObjectName(QStringLiteral("ColorBox%1").arg(i));
        auto* caption = Caption(page, "", labels.getValue(QStringLiteral("colorlabel%1").arg(i)));
        caption->setObjectName(QStringLiteral("LbColorBox%1").arg(i));
        caption->setBuddy(box);
        box->setAccessibleName(caption->text());
        m_ColorBox[i] = box;
        // Down the first column, then down the second.
        const int column = (i / kRows) * 3;
        swatches->addWidget(box, i % kRows, column);
        swatches->addWidget(caption, i % kRows, column + 1);
    }
    swatches->setColumnMinimumWidth(2, 24);
    swatches->setColumnStretch(1, 1);
    swatches->setColumnStretch(4, 1);

    m_schemes = new SchemeChooser(SchemesPath(m_app.layout.configDir), m_app.labels, m_app.prompter, page);
    connect(m_schemes, &SchemeChooser::Chosen, this, [this](const ColorScheme& scheme) {
        Settings colours;
        scheme.ApplyTo(colours);
        for (int i = 0; i < kColorBoxCount; ++i)
            m_ColorBox[i]->setColor(colours.*kBoxSettings[i]);
        m_objectVarsColor = colours.ObjectVarsColor;
    });

    auto* layout = new QHBoxLayout(page);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(20);
    layout->addLayout(swatches, 1);
    layout->addWidget(m_schemes);
}

void SettingsDialog::LoadFromSettings()
{
    const Settings& s = m_app.settings;
    m_txtB3DDir->setText(s.B3DDir);
    m_txtCommandPath->setText(s.Commands);

    if (!s.FontName.isEmpty()) {
        m_sampleFont = {s.FontName, s.FontSize};
    } else {
        // The sample's own font until one is chosen; a save keeps it, so it
        // had better be one the editor can use.
        m_sampleFont = DefaultEditorFont();
    }
    ShowSampleFont();

    m_txttabSize->setText(QString::number(s.TabSize));
    {
        // Only the user's own choices run the selection handler.
        const QSignalBlocker quiet(m_LineGutterCombo);
        m_LineGutterCombo->setCurrentIndex(s.LineGutterMode >= 0 && s.LineGutterMode < m_LineGutterCombo->count()
                                               ? s.LineGutterMode
                                               : -1);
    }
    m_txtLGFixedSize->setText(QString::number(s.LineGutterFixedSize));
    m_lbfixedsize->setVisible(s.LineGutterMode == 1);
    m_txtLGFixedSize->setVisible(s.LineGutterMode == 1);
    m_txtMouseWheelScroll->setText(QString::number(s.ScrollLines));
    m_chkLiveCheck->setChecked(s.LiveCheck);
    m_chkWarnNeverAssigned->setChecked(s.WarnNeverAssigned);
    m_chkWarnHidesGlobal->setChecked(s.WarnHidesGlobal);
    m_chkWarnMissingReturn->setChecked(s.WarnMissingReturn);
    m_lbCommandsFrom->setText(m_app.commandsFrom);

    for (int i = 0; i < kColorBoxCount; ++i)
        m_ColorBox[i]->setColor(s.*kBoxSettings[i]);
    m_objectVarsColor = s.ObjectVarsColor;
    m_schemes->Follow(ShownColours());
}

ColorScheme SettingsDialog::ShownColours() const
{
    Settings colours;
    for (int i = 0; i < kColorBoxCount; ++i)
        colours.*kBoxSettings[i] = m_ColorBox[i]->color();
    colours.ObjectVarsColor = m_objectVarsColor;
    return ColorScheme::Of(QString(), colours);
}

void SettingsDialog::ShowSampleFont()
{
    QFont font = m_lbIdeFont->parentWidget()->font();
    if (!m_sampleFont.face.isEmpty())
        font.setFamily(m_sampleFont.face);
    if (m_sampleFont.size > 0)
        font.setPointSizeF(std::min(m_sampleFont.size, kLargestSampleSize));
    m_lbIdeFont->setFont(font);
    m_lbIdeFont->setText(m_sampleFont.face + u' ' + QString::number(m_sampleFont.size));
}

void SettingsDialog::ChooseBlitzDir()
{
    const CUILabels& labels = m_app.labels;
    FileDialogRequest request;
    request.title = labels.getValue(QStringLiteral("setting_selectb3dtitle"));
    request.filter = labels.getValue(QStringLiteral("setting_b3dfilter"));
    request.initialName = m_txtB3DDir->text();
    // The user points at the installation in whichever way comes naturally:
    // the folder, a program at its root, or the compiler in bin.
    request.acceptFolder = [](const QString& folder) { return HoldsCompiler(BlitzRootFromChoice(folder)); };
    if (const auto path = m_app.dialogs.OpenFile(request))
        m_txtB3DDir->setText(BlitzRootFromChoice(*path));
    // Back to the box the choice went into, so typing goes on there and
    // Space does not open the chooser again.
    m_txtB3DDir->setFocus(Qt::OtherFocusReason);
}

void SettingsDialog::ChooseCommands()
{
    FileDialogRequest request;
    request.title = m_app.labels.getValue(QStringLiteral("setting_selectcommandstitle"));
    request.filter = QStringLiteral("commands.txt|commands.txt");
    request.initialName = paths::Absolute(m_app.programDir, m_txtCommandPath->text());
    if (const auto path = m_app.dialogs.OpenFile(request))
        m_txtCommandPath->setText(*path);
    m_txtCommandPath->setFocus(Qt::OtherFocusReason);
}

void SettingsDialog::ChooseEditorFont()
{
    const Settings& s = m_app.settings;
    const auto chosen = m_app.dialogs.ChooseFont({s.FontName, s.FontSize});
    if (!chosen)
        return;
    if (!UsableFontSize(chosen->size)) {
        Refuse(FontSizeRefusal(m_app.labels, chosen->size));
        return;
    }
    // Any font is taken; the warning beside the sample asks for a fixed one.
    m_sampleFont = *chosen;
    ShowSampleFont();
}

void SettingsDialog::ChooseBoxColor(int index)
{
    ColorSwatch* box = m_ColorBox[index];
    if (const auto colour = m_app.dialogs.ChooseColor(box->color())) {
        box->setColor(*colour);
        m_schemes->Follow(ShownColours());
    }
}

void SettingsDialog::OnGutterModeChanged(int index)
{
    if (index < 0) {
        const int mode = m_app.settings.LineGutterMode;
        if (mode >= 0 && mode < m_LineGutterCombo->count())
            m_LineGutterCombo->setCurrentIndex(mode);
        return;
    }
    m_lbfixedsize->setVisible(index == 1);
    m_txtLGFixedSize->setVisible(index == 1);
}

void SettingsDialog::CheckNumberBox(QLineEdit* box, int stored, int bits, bool mustBePositive)
{
    const std::string text = box->text().toStdString();
    if (!ParseSettingInteger(text, 64)) {
        Refuse(m_app.labels.getValue(QStringLiteral("notaninteger")));
        box->setText(QString::number(stored));
    } else if (!ParseSettingInteger(text, bits)) {
        Refuse(m_app.labels.format(QStringLiteral("numbertoobig"), {LowestOf(bits), HighestOf(bits)}));
        box->setText(QString::number(stored));
    } else if (mustBePositive && std::floor(box->text().trimmed().toDouble()) < 1) {
        // Said, but left for the user to correct.
        Refuse(m_app.labels.getValue(QStringLiteral("notaninteger")));
    }
}

void SettingsDialog::Refuse(const QString& message)
{
    m_app.prompter.Tell(message, MsgIcon::Critical);
}

bool SettingsDialog::SaveSettings()
{
    Settings& live = m_app.settings;
    const QString& programDir = m_app.programDir;

    // A refused folder is never taken, not even for start-up to stop asking:
    // the program would go on with a Blitz3D folder that does not work.
    // The command list keeps a relative path relative, so a program folder
    // moved or copied reads its own.
    const QString b3dDir = m_txtB3DDir->text();
    const QString commands = m_txtCommandPath->text();
    const auto refusePath = [&](const char* labelKey, QLineEdit* box) {
        Refuse(m_app.labels.getValue(QString::fromLatin1(labelKey)));
        m_TabStrip1->setCurrentIndex(0);
        box->setFocus(Qt::OtherFocusReason);
        return false;
    };
    if (b3dDir.isEmpty() || !HoldsCompiler(paths::Absolute(programDir, b3dDir)))
        return refusePath("blitzdirnotfound", m_txtB3DDir);
    if (!QFileInfo(paths::ResolveOnDisk(paths::Absolute(programDir, commands))).isFile())
        return refusePath("commandsnotfound", m_txtCommandPath);

    if (!UsableFontSize(m_sampleFont.size)) {
        Refuse(FontSizeRefusal(m_app.labels, m_sampleFont.size));
        FocusFontChooser();
        return false;
    }

    // Everything else changes only once prefs.ini holds it.
    Settings updated = live;
    updated.B3DDir = b3dDir;
    updated.Commands = commands;
    updated.FontName = m_sampleFont.face;
    updated.FontSize = m_sampleFont.size;
    updated.TabSize = IntegerOf(m_txttabSize, 16, live.TabSize);
    const int mode = m_LineGutterCombo->currentIndex();
    updated.LineGutterMode = live.LineGutterMode < 0 || mode < 0 ? 0 : mode;
    updated.LineGutterFixedSize = IntegerOf(m_txtLGFixedSize, 32, live.LineGutterFixedSize);
    updated.ScrollLines = IntegerOf(m_txtMouseWheelScroll, 16, live.ScrollLines);
    updated.LiveCheck = m_chkLiveCheck->isChecked();
    updated.WarnNeverAssigned = m_chkWarnNeverAssigned->isChecked();
    updated.WarnHidesGlobal = m_chkWarnHidesGlobal->isChecked();
    updated.WarnMissingReturn = m_chkWarnMissingReturn->isChecked();
    for (int i = 0; i < kColorBoxCount; ++i)
        updated.*kBoxSettings[i] = m_ColorBox[i]->color();
    updated.ObjectVarsColor = m_objectVarsColor;

    QString error;
    if (!WriteSettings(m_app.layout, updated, &error)) {
        Refuse(m_app.labels.format(QStringLiteral("unabletosaveprefs"), {m_app.layout.PrefsPath()}) + u'\n' + error);
        return false;
    }
    live = updated;
    if (m_apply)
        m_apply();
    return true;
}

FontChoice DefaultEditorFont()
{
    const QFont fixed = FixedWidthFont();
    return {fixed.family(), fixed.pointSizeF() > 0 ? std::round(fixed.pointSizeF()) : 10.0};
}

bool RunSettingsDialog(App& app, QWidget* owner, SettingsDialog::ApplyHook apply)
{
    SettingsDialog dialog(app, std::move(apply), owner);
    return dialog.exec() == QDialog::Accepted;
}
