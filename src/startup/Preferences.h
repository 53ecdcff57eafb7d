#pragma once

#include "platform/Color.h"
#include "startup/Layout.h"
#include "startup/Settings.h"

#include <QString>

#include <optional>
#include <span>
#include <string>
#include <string_view>

class CUILabels;
class Prompter;

// Reading and writing the user's prefs.ini (Layout::PrefsPath).

// A colour key of [IDECOLORS] and the setting it fills.
struct ColorKey {
    const char* key;
    Color Settings::*member;
    const char* defaultValue;
};
// The nineteen colour keys, in the order the file lists them.
std::span<const ColorKey> ColorKeys();

// Converts a number written as text to an integer the way the settings
// expect: surrounding blanks allowed, a fraction rounded to the nearest
// integer with halves going to the even neighbour (10.5 gives 10, 11.5 gives
// 12). Nothing when the text is not a number or does not fit in `bits`.
std::optional<long long> ParseSettingInteger(std::string_view text, int bits = 32);

// "r,g,b" to a colour; a part above 255 counts as 255, parts after the third
// are ignored. Nothing (with a description in `error`) when it cannot be read.
std::optional<Color> ParseColorText(std::string_view text, std::string* error = nullptr);
// As above, but a malformed colour is reported through `prompter` with the
// "parseColorError" label, naming the setting `key` of the file `file` and
// what a colour looks like, and gives black.
Color ParseColor(const QString& text, const QString& key, const QString& file, const CUILabels& labels,
                 Prompter& prompter);
QString ColorToString(Color colour);

// Fills `settings` from the user's prefs.ini; relative paths in it are then
// taken against the program directory. A missing file says "prefs.ini not
// found!" and returns false with `settings` untouched. A malformed TabSize,
// LineGutterMode, ScrollLines or FontSize throws std::runtime_error, which
// ends start-up.
bool LoadSettings(const Layout& layout, Settings& settings, const CUILabels& labels, Prompter& prompter);
class IniFile;
// The conversions of LoadSettings over an already read file.
Settings SettingsFromIni(const IniFile& ini, const CUILabels& labels, Prompter& prompter,
                         const QString& fileName = QStringLiteral("prefs.ini"));

// What the settings dialog stores: paths, the nineteen colours, font and
// editor options. Every other line of the file is kept.
bool WriteSettings(const Layout& layout, const Settings& settings, QString* error = nullptr);
// The two menu toggles written when the program closes.
bool SaveIdeOptions(const Layout& layout, bool autoIndent, bool debugEnabled, QString* error = nullptr);
