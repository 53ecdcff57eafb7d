#include "documents/RecentFiles.h"
#include "platform/IniFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

class Recent : public ::testing::Test {
protected:
    // Canonical paths: the temporary folder may lie behind a link.
    QString file(const QString& name) const { return QDir(dir.path()).canonicalPath() + u'/' + name; }
    TempDir dir;
};

TEST_F(Recent, NewestFirstEachFileOnceAtMostTen)
{
    RecentFiles recent;
    recent.Add(dir.write("a.bb", ""));
    recent.Add(dir.write("b.bb", ""));
    // One file by another spelling, and through a link, is the same entry.
    recent.Add(dir.path() + "/sub/../a.bb");
    QFile::link(dir.file("b.bb"), dir.file("link.bb"));
    recent.Add(dir.file("link.bb"));
    EXPECT_EQ(recent.Files(), (QStringList{file("b.bb"), file("a.bb")}));

    for (int i = 0; i < 12; ++i)
        recent.Add(file(QStringLiteral("f%1.bb").arg(i)));
    ASSERT_EQ(recent.Files().size(), RecentFiles::kMaxFiles);
    EXPECT_EQ(recent.Files().front(), file("f11.bb"));
    EXPECT_EQ(recent.Files().back(), file("f2.bb")) << "the oldest fall off the end";

    EXPECT_TRUE(recent.Remove(dir.path() + "/./f5.bb"));
    EXPECT_FALSE(recent.Remove(file("f5.bb")));
    EXPECT_EQ(recent.Files().size(), 9);
    recent.Clear();
    EXPECT_TRUE(recent.IsEmpty());

    // One spelling even for a path no file can have, which once kept its "..".
    recent.Add(dir.file("a.bb") + "/..");
    EXPECT_EQ(recent.Files(), QStringList{QDir(dir.path()).canonicalPath()});
}

TEST_F(Recent, TheListComesBackFromTheIniFileAsItWasWrittenWithoutBadEntries)
{
    IniFile ini("[IDEOPTS]\r\nTabSize=3\r\n");
    RecentFiles written;
    // Names that end in a blank once came back without it.
    for (const char* name : {"old.bb", "mid.bb", "tab.bb\t", "new.bb "})
        written.Add(file(name));
    // A path the ini file could only give back cut is not written at all;
    // one that fits is, though the quotes around its blank make it longer.
    written.Add(file(QString(300, 'x') + ".bb"));
    const QString longest = file("l");
    const QString quoted = longest + QString(IniFile::kMaxValueLength - 1 - longest.size() - 4, 'x') + ".bb ";
    written.Add(quoted);
    written.Save(ini);
    RecentFiles read;
    read.Load(ini);
    EXPECT_EQ(read.Files(),
              (QStringList{quoted, file("new.bb "), file("tab.bb\t"), file("mid.bb"), file("old.bb")}));
    EXPECT_EQ(ini.Get("IDEOPTS", "TabSize", ""), "3");

    // A shorter list written over a longer one leaves none of the old behind.
    written.Clear();
    written.Add(file("only.bb"));
    written.Save(ini);
    read.Load(ini);
    EXPECT_EQ(read.Files(), QStringList{file("only.bb")});

    // Bad entries are left out.
    const std::string good = file("good.bb").toStdString();
    const std::string cut = file(QString(260, 'y')).toStdString();
    const IniFile bad("[recent]\r\n"
                      "File1=\r\n"
                      "File2=main.bb\r\n"
                      "File3=" + good + "\r\n"
                      "File4=" + good + "\r\n"
                      "File5=" + cut + "\r\n"
                      "File11=" + file("eleven.bb").toStdString() + "\r\n"
                      "Bogus=" + file("bogus.bb").toStdString() + "\r\n"
                      "File7=" + dir.path().toStdString() + "/x/../seven.bb\r\n");
    read.Load(bad);
    EXPECT_EQ(read.Files(), (QStringList{file("good.bb"), file("seven.bb")}));
    read.Load(IniFile("[RECENT\r\nFile1=" + good + "\r\n"));
    EXPECT_TRUE(read.IsEmpty()) << "a malformed section is no list";
    read.Load(IniFile());
    EXPECT_TRUE(read.IsEmpty());
}

TEST_F(Recent, FilesOfOneNameShowFoldersEnoughToTellThemApart)
{
    RecentFiles recent;
    for (const char* path : {"/games/snake/src/main.bb", "/games/tetris/src/main.bb", "/main.bb",
                             "/games/snake/tools/level.bb", "/lib/R&D/gfx.bb"})
        recent.Add(QString::fromLatin1(path));
    EXPECT_EQ(recent.DisplayNames(), (QStringList{"gfx.bb", "level.bb", "main.bb - /", "main.bb - tetris/src",
                                                  "main.bb - snake/src"}));
}

}  // namespace
