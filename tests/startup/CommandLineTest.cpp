#include "startup/CommandLine.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, EachArgumentIsADocumentMadeAbsolute)
{
    EXPECT_EQ(CommandLineDocuments(QStringList{"\"/home/me/my game.bb\""}), QStringList{"/home/me/my game.bb"});
    // A shell's relative name, which the compiler would look for in its own folder.
    EXPECT_EQ(CommandLineDocuments(QStringList{"game.bb", ""}), (QStringList{QDir::current().filePath("game.bb"), ""}));
}

}  // namespace
