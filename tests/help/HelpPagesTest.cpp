#include "help/HelpPages.h"
#include "help/WebEngineSetup.h"

#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

// A help tree as Windows copies leave it: folder and file names in whatever
// letter case their authors used.
struct HelpTree {
    TempDir dir;
    QString helpDir = dir.file(QStringLiteral("Blitz3D/help"));

    HelpTree()
    {
        dir.write(QStringLiteral("Blitz3D/help/Index.html"), "<html></html>");
        dir.write(QStringLiteral("Blitz3D/help/commands/2d_commands/Graphics.htm"), "2d");
        dir.write(QStringLiteral("Blitz3D/help/commands/2d_commands/Text.htm"), "2d");
        dir.write(QStringLiteral("Blitz3D/help/commands/3d_commands/Text.htm"), "3d");
        dir.write(QStringLiteral("Blitz3D/help/commands/3d_commands/RenderWorld.htm"), "3d");
        dir.write(QStringLiteral("Blitz3D/help/commands/secret.htm"), "outside");
    }
};

TEST(HelpPages, HomePageIsTheIndexOfTheHelpFolderAsFoundOnDisk)
{
    HelpTree tree;
    EXPECT_EQ(help::HomePage(tree.helpDir), tree.helpDir + "/Index.html");
    EXPECT_EQ(help::HomePage(tree.helpDir + "/"), tree.helpDir + "/Index.html");
    // Nothing on disk: the path still names what the browser should look for.
    EXPECT_EQ(help::HomePage(tree.dir.file("nowhere/help")), tree.dir.file("nowhere/help/index.html"));
}

TEST(HelpPages, CommandPageIsLookedForIn2DThen3DCommands)
{
    HelpTree tree;
    const QString cmds = tree.helpDir + "/commands/";
    struct Case {
        const char* word;
        std::optional<QString> page;
    };
    const Case cases[] = {
        {"Graphics", cmds + "2d_commands/Graphics.htm"},
        {"graphics", cmds + "2d_commands/Graphics.htm"},   // typed in another case
        {"RENDERWORLD", cmds + "3d_commands/RenderWorld.htm"},
        {"Text", cmds + "2d_commands/Text.htm"},           // in both: 2D wins
        {"LoadImage", std::nullopt},
        {"", std::nullopt},
        {"../secret", std::nullopt},                       // would leave the folder
        {"..\\secret", std::nullopt},
        {"2d_commands/Graphics", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(help::FindCommandPage(tree.helpDir, QString::fromUtf8(c.word)), c.page) << c.word;
}

TEST(HelpPages, BrowserUrlTellsUrlsFromPaths)
{
    HelpTree tree;
    struct Case {
        QString input;
        QString url;
    };
    const Case cases[] = {
        {"http://ovrel.invalid/stavel/autoupdate.asp", "http://ovrel.invalid/stavel/autoupdate.asp"},
        {"file:///b3d/help/index.html", "file:///b3d/help/index.html"},
        {"about:blank", "about:blank"},
        {"  /b3d/help/index.html ", "file:///b3d/help/index.html"},
        // Windows separators and another letter case still find the file.
        {tree.helpDir + "\\COMMANDS\\2D_Commands\\graphics.htm",
         QUrl::fromLocalFile(tree.helpDir + "/commands/2d_commands/Graphics.htm").toString()},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(help::ToBrowserUrl(c.input).toString(), c.url) << c.input.toStdString();

    // A drive letter is not a scheme.
    const QUrl drive = help::ToBrowserUrl(QStringLiteral("C:\\Blitz3D\\help\\index.html"));
    EXPECT_TRUE(drive.isLocalFile()) << drive.toString().toStdString();
    EXPECT_TRUE(drive.toLocalFile().endsWith("C:/Blitz3D/help/index.html"));
}

TEST(HelpPages, MissingPageSaysWhatWasLookedForAndWhereTheFolderIsSet)
{
    HelpTree tree;
    const QString settingsHint = QStringLiteral("The Blitz3D folder is set in the settings");
    const QString folderMissing = QStringLiteral("The help folder was not found");
    const QString missingHelp = tree.dir.file("gone/help");
    struct Case {
        QString path, helpDir;
        bool hint, folderMissing;
    };
    const Case cases[] = {
        {tree.helpDir + "/commands/2d_commands/Nope.htm", tree.helpDir, true, false},
        {missingHelp + "/index.html", missingHelp, true, true},
        {tree.helpDir + "/index.htm", tree.helpDir + "/", true, false},
        {QDir::current().absoluteFilePath("rel/help/index.html"), "rel\\help", true, true},
        {tree.dir.file("AutoUpdate.html"), tree.helpDir, false, false},
        {tree.dir.file("AutoUpdate.html"), QString(), false, false},
    };
    for (const Case& c : cases) {
        const QString html = help::MissingPageHtml(c.path, c.helpDir);
        SCOPED_TRACE(c.path.toStdString());
        EXPECT_TRUE(html.contains(c.path));
        EXPECT_EQ(html.contains(settingsHint), c.hint);
        EXPECT_EQ(html.contains(folderMissing), c.folderMissing);
    }

    // A path is shown as text, never as markup.
    const QString odd = tree.helpDir + "/<b>&amp;%1.htm";
    const QString html = help::MissingPageHtml(odd, tree.helpDir);
    EXPECT_TRUE(html.contains("/&lt;b&gt;&amp;amp;%1.htm")) << html.toStdString();
    EXPECT_FALSE(html.contains("<b>&amp;"));
}

TEST(WebEngineSetup, NoSandboxIsAddedOnceAndOnlyForRoot)
{
    struct Case {
        const char* flags;
        bool root;
        const char* wanted;
    };
    const Case cases[] = {
        {"", true, "--no-sandbox"},
        {"--disable-gpu", true, "--disable-gpu --no-sandbox"},
        {" --disable-gpu  ", true, "--disable-gpu --no-sandbox"},
        {"--no-sandbox --disable-gpu", true, "--no-sandbox --disable-gpu"},
        {"--disable-gpu", false, "--disable-gpu"},
        {"", false, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(help::ChromiumFlags(c.flags, c.root), QByteArray(c.wanted)) << c.flags;
}

}  // namespace
