#pragma once

#include <QString>

#include <functional>

class CUILabels;
class Prompter;
struct Settings;

// The Blitz3D installation folder: found from whatever the user picks in it,
// and asked for by the commands that need it. Editing needs no Blitz3D, so
// the user may go on without one and choose it later.

// The installation for a path the user picked: the folder itself, a program
// at its root (Blitz3D.exe), its bin folder or bin/blitzcc.exe. When neither
// the picked folder (a file's own folder) nor the one above it holds
// bin/blitzcc.exe, the picked folder, so that the refusal names it.
QString BlitzRootFromChoice(const QString& picked);

// True when `root` holds bin/blitzcc.exe, in any letter case.
bool HoldsCompiler(const QString& root);

// What a command needs of the folder: the compiler, or only the folder
// (whose help pages it shows).
enum class BlitzNeed { Compiler, Folder };

// Stands before the build commands and the command help.
class BlitzDirGuard {
public:
    // `openSettings` shows the settings dialog modally.
    BlitzDirGuard(const Settings& settings, const CUILabels& labels, Prompter& prompter,
                  std::function<void()> openSettings);

    // Why the folder in the settings cannot serve `need`; "" when it can.
    QString Problem(BlitzNeed need) const;
    // True when the folder serves `need`. Otherwise says why and offers the
    // settings; true when the user then chose a folder that serves.
    bool Require(BlitzNeed need) const;

private:
    const Settings& m_settings;
    const CUILabels& m_labels;
    Prompter& m_prompter;
    std::function<void()> m_openSettings;
};
