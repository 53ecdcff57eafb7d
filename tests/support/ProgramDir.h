#pragma once

#include "support/TempDir.h"

#include <QString>

#include <string>

// A program directory for one test: the shipped locale.txt, prefs.ini and
// commands.txt and the picture strips, with the Blitz3D folder pointing at a fake installation in
// the same temporary folder (bin/blitzcc.exe, help/, userlibs/).
class ProgramDir : public TempDir {
public:
    ProgramDir();
    QString blitzDir() const { return file("Blitz3D"); }
    // Sets one key of prefs.ini (adding the section or key when missing).
    void setPref(const char* section, const char* key, const QString& value) const;
};

// A file shipped in resources/ as bytes.
std::string ShippedResource(const QString& name);
// A picture strip the build drew beside the executable, as bytes.
std::string BuiltPictureStrip(const QString& name);
