#pragma once

#include "platform/IniFile.h"
#include "startup/Layout.h"
#include "support/ScopedEnv.h"
#include "support/Scripted.h"
#include "support/TempDir.h"

#include <QProcess>

#include <gtest/gtest.h>

// Installed once for the whole suite, as a user would, and run on a user's
// folders of its own (the installed program inherits the variables).
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (s_installed)
            return;  // by another suite of the same program
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(OVREL_CMAKE_COMMAND, {"--install", OVREL_BUILD_DIR, "--prefix", s_prefix.path()});
        s_installed = install.waitForFinished(120000) && install.exitCode() == 0;
        s_installLog = install.readAll();
    }

    void SetUp() override
    {
        ASSERT_TRUE(s_installed) << s_installLog.toStdString();
        user.write("run/.keep", "");
        user.write("Blitz3D/bin/blitzcc.exe", "#!/bin/sh\necho BlitzCC V1.108\n");
    }

    static QString Prefix(const QString& name) { return s_prefix.file(name); }
    // The user's folders made, as a first start makes them, with the Blitz3D folder set.
    void PrepareUser() const
    {
        QString error;
        ASSERT_TRUE(PrepareUserFolders(layout, &error)) << error.toStdString();
        SetUserPref("PATHS", "B3DDir", user.file("Blitz3D"));
    }
    void SetUserPref(const char* section, const char* key, const QString& value) const
    {
        WriteIniString(user.file("config/ovrel/prefs.ini"), section, key, value);
    }

    TempDir user;
    ScopedEnv config{"XDG_CONFIG_HOME", user.file("config").toLocal8Bit()};
    ScopedEnv state{"XDG_STATE_HOME", user.file("state").toLocal8Bit()};
    ScopedEnv runtime{"XDG_RUNTIME_DIR", user.file("run").toLocal8Bit()};
    const Layout layout = Layout::ForExecutable(Prefix("bin"));
    ScriptedPrompter prompter;
    ScriptedDialog dialogs;

    static inline TempDir s_prefix;
    static inline bool s_installed = false;
    static inline QString s_installLog;
};
