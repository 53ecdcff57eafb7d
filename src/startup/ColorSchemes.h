#pragma once

#include "platform/Color.h"
#include "startup/Settings.h"

#include <QString>

#include <array>
#include <vector>

class IniFile;

// A named set of every editor colour of the settings. Two are built in, Light
// and Dark; the user's own are kept in "schemes.ini" beside prefs.ini, one
// section per scheme with the colour keys of prefs.ini. Choosing a scheme
// only fills the colours: they go to prefs.ini as every colour does.
struct ColorScheme {
    static constexpr std::size_t kColourCount = 19;

    QString name;
    bool builtIn = false;
    // In the order of ColorKeys().
    std::array<Color, kColourCount> colours{};

    // The colours `settings` holds, under `name`.
    static ColorScheme Of(const QString& name, const Settings& settings);
    void ApplyTo(Settings& settings) const;
    bool SameColours(const Settings& settings) const;
};

// Light (the colours the program ships with) and Dark.
const std::vector<ColorScheme>& BuiltInSchemes();

// The user's schemes file in `configDir`, the folder of prefs.ini.
QString SchemesPath(const QString& configDir);
// The user's schemes, in the order of the file. A colour missing or
// malformed there is taken from the Light scheme; a section named like a
// built-in scheme is ignored. A missing file holds none.
std::vector<ColorScheme> LoadUserSchemes(const QString& path);
// Writes the user's schemes, replacing the file atomically; false with the
// reason when it could not be written, the file then being as it was.
bool SaveUserSchemes(const QString& path, const std::vector<ColorScheme>& schemes, QString* error = nullptr);

// The same, from and to the file's contents.
std::vector<ColorScheme> UserSchemesOf(const IniFile& ini);
IniFile UserSchemesIni(const std::vector<ColorScheme>& schemes);

// The label key of why `name` cannot name a user scheme (its text takes the
// trimmed name as %1), or "" when it can: it must not be empty, be a
// built-in scheme's (in any letter case), or hold brackets,
// control or invisible characters, which the file cannot give back.
QString SchemeNameProblem(const QString& name);
