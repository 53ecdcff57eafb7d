// The program's own files as Windows editors leave them: a UTF-8 byte-order
// mark in front, and any of the three line ends.
#include "editor/Vocabulary.h"
#include "platform/IniFile.h"
#include "startup/LabelsFile.h"
#include "startup/Preferences.h"
#include "support/ProgramDir.h"
#include "support/Scripted.h"

#include <gtest/gtest.h>

namespace {

TEST(StartupFiles, AByteOrderMarkAndAnyLineEndReadLikeAPlainFile)
{
    for (const char* eol : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(eol[0] == '\r' && eol[1] ? "CR LF" : eol[0] == '\r' ? "CR" : "LF");
        const auto file = [&](std::initializer_list<const char*> lines) {
            std::string out = "\xEF\xBB\xBF";
            for (const char* line : lines)
                out += std::string(line) + eol;
            return out;
        };
        ProgramDir dir;
        dir.write("locale.txt", file({"# menus", "mnufile = File", "mnuedit = Edit"}));
        dir.write("prefs.ini", file({"[PATHS]", "B3DDir=/opt/blitz", "[IDEOPTS]", "TabSize=5"}));
        dir.write("commands.txt", file({"Graphics width,height", "Cls"}));
        dir.write("Blitz3D/userlibs/sound.decls", file({".lib \"sound.dll\"", "Beep%(freq%)"}));
        ScriptedPrompter prompter;

        const std::optional<CUILabels> labels = LoadLabels(dir.path(), prompter);
        ASSERT_TRUE(labels) << prompter.texts().join("|").toStdString();
        EXPECT_EQ(labels->getValue("mnufile"), "File");
        EXPECT_EQ(labels->getValue("mnuedit"), "Edit");

        Settings settings;
        ASSERT_TRUE(LoadSettings(Layout::Portable(dir.path()), settings, *labels, prompter));
        EXPECT_EQ(settings.B3DDir, "/opt/blitz");
        EXPECT_EQ(settings.TabSize, 5);
        // A write changes its line and keeps the mark.
        dir.setPref("IDEOPTS", "TabSize", "6");
        EXPECT_EQ(dir.read("prefs.ini").substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(IniFile(dir.read("prefs.ini")).Get("PATHS", "B3DDir", ""), "/opt/blitz");

        EditorKeywordList vocabulary;
        settings.B3DDir = dir.blitzDir();
        ASSERT_TRUE(LoadCommands(settings, dir.path(), vocabulary, prompter));
        LoadDecls(settings, vocabulary);
        EXPECT_EQ(vocabulary.Count(), 3u);
        for (const char* key : {"graphics", "cls", "beep"})
            EXPECT_TRUE(vocabulary.Find(key)) << key;
        EXPECT_TRUE(prompter.shown.empty()) << prompter.texts().join("|").toStdString();
    }
}

}  // namespace
