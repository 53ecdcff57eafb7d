#pragma once

#include <QRect>
#include <QString>

#include <optional>

// How the user left the main window, kept between runs in the [WINDOW]
// section of prefs.ini. Anything missing or unreadable there reads as not
// saved, and the window takes its first-start arrangement for it.
struct WindowState {
    std::optional<QRect> geometry;  // the window's normal (not maximised) place and size
    bool maximized = false;
    int leftPaneWidth = -1;        // the splitter beside the left pane; -1: not saved
    int projectPaneHeight = -1;    // the splitter between the two trees
    bool leftPaneCollapsed = false;
    int bottomPanelHeight = -1;    // the panel below the editor when open; -1: not saved
    bool bottomPanelOpen = false;
    QString bands;                 // the toolbar arrangement (FormatBands)

    bool operator==(const WindowState&) const = default;
};

class IniFile;

// The arrangement kept in the [WINDOW] section of the user's prefs.ini.
WindowState LoadWindowState(const QString& prefsPath);
// The same, from an already read file.
WindowState WindowStateFromIni(const IniFile& ini);
// False with a reason when prefs.ini could not be written; it is then left as
// it was.
bool SaveWindowState(const QString& prefsPath, const WindowState& state, QString* error = nullptr);
