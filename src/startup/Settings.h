#pragma once

#include "platform/Color.h"

#include <QString>

// Every user setting of prefs.ini, named after its key. Loaded once at
// start-up, edited as a copy by the settings dialog and applied by its owner.
// The font sizes the editor is shown in; prefs.ini may say anything.
inline constexpr double kMinFontSize = 4;
inline constexpr double kMaxFontSize = 72;

struct Settings {
    // [PATHS]
    QString B3DDir;
    QString Commands = QStringLiteral("commands.txt");
    QString AutoUpdateLink = QStringLiteral("https://update.ovrel.org/stavel/autoupdate.asp");

    // [IDECOLORS]
    Color TextColor = 0;
    Color BackColor = Rgb(255, 255, 255);
    Color CommandsColor = 0;
    Color FunctionsColor = 0;
    Color NumbersColor = 0;
    Color VarsColor = 0;
    Color TypeVarsColor = 0;
    Color ObjectVarsColor = 0;
    Color CommentsColor = 0;
    Color StringsColor = 0;
    Color LabelsColor = 0;
    Color HighlightedLineColor = 0;
    Color ErrorLineColor = 0;
    Color ExtFunctionsColor = 0;
    Color LineGutterBGColor = 0;
    Color LineGutterForeColor = 0;
    Color LineGutterCurrentLineColor = 0;
    Color CaretColor = 0;
    Color OperatorsColor = 0;

    // [IDEFONT]
    QString FontName = QStringLiteral("Blitz");
    double FontSize = 10;

    // [IDEOPTS]
    int TabSize = 3;
    bool AutoIndent = true;
    bool DebugEnabled = true;
    int LineGutterMode = 2;
    int ScrollLines = 3;
    // The program checked as it is typed, its problems marked and listed.
    bool LiveCheck = true;
    // Warnings about what compiles but looks like a mistake, each kind on
    // its own: a variable read but never assigned, a Local hiding a global
    // its function uses, a function that returns a value on some paths only.
    bool WarnNeverAssigned = true;
    bool WarnHidesGlobal = true;
    bool WarnMissingReturn = true;

    // [LANGUAGE]; the token lists are held framed by one space on each side.
    QString Delimiters = QStringLiteral("\\,()[]{}\u00A3$%#@:");
    QString Operators = QStringLiteral("+-/*=<>^!&|");
    QString StringChar = QStringLiteral("\"");
    QString CommentChar = QStringLiteral(";");
    QString IndentMoreTokens = QStringLiteral("  ");
    QString IndentLessTokens = QStringLiteral("  ");

    // Not stored: the fixed gutter width typed in the settings dialog.
    int LineGutterFixedSize = 0;
    // Not stored: the program folder, against which a relative B3DDir is taken.
    QString ProgramDir;

    // B3DDir made absolute; empty while B3DDir is.
    QString B3DRoot() const;
    // B3DRoot followed by the bin folder, with a trailing separator; empty
    // while B3DDir is.
    QString B3DBinDir() const;
    // B3DRoot followed by the help folder; empty while B3DDir is.
    QString B3DHelpDir() const;

    bool operator==(const Settings&) const = default;
};
