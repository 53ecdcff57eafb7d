#include "startup/CommandLine.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, SplitsAtBlanksOutsideQuotes)
{
    EXPECT_EQ(GetCommandLineFiles("\"C:\\my games\\a.bb\" b.bb"), "\"C:\\my games\\a.bb\"|b.bb");
    EXPECT_EQ(CommandLineDocuments(QString("\"C:\\my games\\a.bb\" b.bb")),
              (QStringList{"C:\\my games\\a.bb", "b.bb"}));
    EXPECT_EQ(CommandLineDocuments(QString("a.bb  b.bb")), (QStringList{"a.bb", "", "b.bb"}));
    EXPECT_TRUE(CommandLineDocuments(QString()).isEmpty());
    EXPECT_EQ(CommandLineDocuments(QStringList{"/home/me/my game.bb"}), QStringList{"/home/me/my game.bb"});
    // A shell's relative name, which the compiler would look for in its own folder.
    EXPECT_EQ(CommandLineDocuments(QStringList{"game.bb", ""}), (QStringList{QDir::current().filePath("game.bb"), ""}));
}

}  // namespace
