#include "platform/IniFile.h"
#include "support/TempDir.h"
#include "support/TrapPipe.h"


#include <gtest/gtest.h>

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

namespace {

const char* const kUserFile =
    "; my settings\r\n"
    "[Paths]\r\n"
    "  b3ddir =  C:\\Blitz3D  \r\n"
    "Custom=kept\r\n"
    "\r\n"
    "[IDEOPTS]\r\n"
    "TabSize=4\r\n"
    "Empty=\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "Lone=\"\r\n"
    "\r\n"
    "[LANGUAGE]\r\n"
    "CommentChar=;\r\n";

TEST(IniFile, ReadsLikeTheProfileFunctions)
{
    const IniFile ini{std::string(kUserFile) + "[A]\r\nK=" + std::string(300, 'x') + "\r\nK=2\r\n[a]\r\nJ=4\r\n"};
    const struct {
        const char* section;
        const char* key;
        std::string expected;
    } rows[] = {
        {"PATHS", "B3DDir", "C:\\Blitz3D"},  // sections and keys ignore case, values are trimmed
        {"paths", "CUSTOM", "kept"},
        {"IDEOPTS", "Empty", ""},            // present but empty: empty, not the default
        {"IDEOPTS", "Missing", "dflt"},      // missing key: the default
        {"NoSuch", "TabSize", "dflt"},       // missing section: the default
        {"IDEOPTS", "Quoted", "  spaced  "}, // matching quotes are removed
        {"IDEOPTS", "Lone", "\""},           // a single quote character stays
        {"LANGUAGE", "CommentChar", ";"},
        {"A", "K", std::string(254, 'x')},   // cut at 254 characters; the first of two keys
        {"A", "J", "dflt"},                  // only the first section of a name counts
    };
    for (const auto& r : rows)
        EXPECT_EQ(ini.Get(r.section, r.key, "dflt"), r.expected) << r.section << "/" << r.key;
}

// As Windows editors leave it: a byte-order mark in front, which a write
// keeps, and any of the three line ends.
TEST(IniFile, AByteOrderMarkAndAnyLineEndReadLikeAPlainFile)
{
    for (const std::string eol : {"\r\n", "\n", "\r"}) {
        IniFile ini("\xEF\xBB\xBF[PATHS]" + eol + "B3DDir=/opt/blitz" + eol + "[IDEOPTS]" + eol + "TabSize=5" + eol);
        EXPECT_EQ(ini.Get("PATHS", "B3DDir", ""), "/opt/blitz");
        EXPECT_EQ(ini.Get("IDEOPTS", "TabSize", ""), "5");
        ini.Set("IDEOPTS", "TabSize", "6");
        EXPECT_EQ(ini.Contents().substr(0, 3), "\xEF\xBB\xBF");
        EXPECT_EQ(IniFile(ini.Contents()).Get("IDEOPTS", "TabSize", ""), "6");
    }
}

TEST(IniFile, WritingKeepsEveryOtherLine)
{
    IniFile ini{std::string(kUserFile)};
    ini.Set("PATHS", "B3dDir", "/opt/blitz");   // replaces the line, in the writer's spelling
    ini.Set("IDEOPTS", "ScrollLines", "5");     // new key: after the section's last line
    ini.Set("IDECOLORS", "TextColor", "1,2,3"); // new section: at the end of the file
    std::string expected = kUserFile;
    const auto replace = [&](const std::string& from, const std::string& to) {
        expected.replace(expected.find(from), from.size(), to);
    };
    replace("  b3ddir =  C:\\Blitz3D  \r\n", "B3dDir=/opt/blitz\r\n");
    replace("Lone=\"\r\n", "Lone=\"\r\nScrollLines=5\r\n");
    EXPECT_EQ(ini.Contents(), expected + "\r\n[IDECOLORS]\r\nTextColor=1,2,3\r\n");
}

TEST(IniFile, AWriteReplacesTheFileWhole)
{
    TempDir dir;
    const std::string original = "[PATHS]\r\nB3DDir=/old\r\n";
    const QString path = dir.write("prefs.ini", original);
    // A second name for the old file: writing into it in place would change
    // what this name shows as well.
    const QString old = dir.file("prefs.old");
    ASSERT_EQ(::link(path.toLocal8Bit().constData(), old.toLocal8Bit().constData()), 0);
    IniFile ini = IniFile::Load(path);
    ini.Set("PATHS", "B3DDir", "/new");
    QString error;
    ASSERT_TRUE(ini.Save(path, &error)) << error.toStdString();
    EXPECT_EQ(ReadFileBytes(old), original);
    EXPECT_NE(ReadFileBytes(path).find("B3DDir=/new"), std::string::npos);
}

// Settings that cannot be read are neither taken for empty ones nor written
// over, and a pipe in their place is never waited on.
TEST(IniFile, AFileThatCannotBeReadIsNotWrittenOver)
{
    TempDir dir;
    const std::string original = "; mine\r\n[PATHS]\r\nB3DDir=/old\r\n";
    const QString path = dir.write("prefs.ini", original);
    if (geteuid() != 0) {
        ASSERT_EQ(chmod(path.toLocal8Bit().constData(), 0200), 0);
        QString error;
        EXPECT_FALSE(IniFile::LoadForUpdate(path, &error));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_FALSE(WriteIniString(path, "PATHS", "B3DDir", "/new"));
        chmod(path.toLocal8Bit().constData(), 0600);
        EXPECT_EQ(ReadFileBytes(path), original);
    }
    EXPECT_TRUE(IniFile::LoadForUpdate(dir.file("missing.ini")));

    const QString pipePath = dir.file("schemes.ini");
    const TrapPipe pipe(pipePath, "[Dark]\r\nBack=1\r\n");
    ASSERT_TRUE(pipe.made());
    QString error;
    EXPECT_FALSE(IniFile::LoadForUpdate(pipePath, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_TRUE(IniFile::Load(pipePath).Sections().empty());
    EXPECT_FALSE(WriteIniString(pipePath, "Dark", "Back", "2"));
    EXPECT_FALSE(pipe.sprung());
    EXPECT_FALSE(QFileInfo(pipePath).isFile());
}

}  // namespace
