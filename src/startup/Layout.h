#pragma once

#include <QString>

// Where the program reads its own files and keeps the user's.
//
// Portable: the folder of the executable holds everything and is writable,
// as the build leaves it. Installed: the program's files lie read-only in
// <prefix>/share/ovrel beside <prefix>/bin, and the user's own live in the
// XDG folders, where a new version installed over the old one leaves them
// alone.
struct Layout {
    // The shipped files: locale.txt, commands.txt, the bitmap strips and the
    // other pages and pictures, and the prefs.ini a new user starts from.
    QString programDir;
    // Holds the user's prefs.ini.
    QString configDir;
    // What the program writes for itself: debug.log and output.txt.
    QString stateDir;
    bool installed = false;

    // One folder for everything.
    static Layout Portable(const QString& programDir);
    // The layout of the executable in `executableDir`: portable when that
    // folder holds a prefs.ini it may write (always on Windows); installed
    // when it holds one it may not write, or none while
    // ../share/ovrel/prefs.ini exists; otherwise portable, and start-up says
    // that prefs.ini is missing.
    static Layout ForExecutable(const QString& executableDir);

    // The user's prefs.ini.
    QString PrefsPath() const;
    // The one the program ships.
    QString ShippedPrefsPath() const;
};

// Readies the user's folders of the installed layout: a user without a
// prefs.ini gets a copy of the shipped one, and the state folder is made.
// False with the reason when a folder or the file cannot be made. Nothing to
// do for the portable layout.
bool PrepareUserFolders(const Layout& layout, QString* error);
