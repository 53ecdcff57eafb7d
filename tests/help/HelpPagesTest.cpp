#include "help/HelpPages.h"
#include "help/WebEngineSetup.h"
#include "startup/LabelsFile.h"
#include "startup/Settings.h"
#include "support/ProgramDir.h"

#include "support/TempDir.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

const CUILabels kLabels = ParseLabels(ShippedResource("locale.txt")).labels;

// A help tree as Windows copies leave it: folder and file names in whatever
// letter case their authors used.
class HelpPages : public ::testing::Test {
protected:
    HelpPages()
    {
        for (const char* page : {"Index.html", "commands/2d_commands/Graphics.htm", "commands/2d_commands/Text.htm",
                                 "commands/3d_commands/Text.htm", "commands/3d_commands/RenderWorld.htm",
                                 "commands/secret.htm"})
            dir.write(helpDir + "/" + page, page);
    }
    TempDir dir;
    QString helpDir = dir.file(QStringLiteral("Blitz3D/help"));
};

TEST_F(HelpPages, PagesAreFoundAsTheyAreOnDiskAnd2DCommandsFirst)
{
    const QString cmds = helpDir + "/commands/";
    const std::pair<std::optional<QString>, std::optional<QString>> rows[] = {
        {help::HomePage(helpDir), helpDir + "/Index.html"},
        {help::HomePage(helpDir + "/"), helpDir + "/Index.html"},
        // Nothing on disk: the path still names what the browser should look for.
        {help::HomePage(dir.file("nowhere/help")), dir.file("nowhere/help/index.html")},
        {help::FindCommandPage(helpDir, "graphics"), cmds + "2d_commands/Graphics.htm"},
        {help::FindCommandPage(helpDir, "RENDERWORLD"), cmds + "3d_commands/RenderWorld.htm"},
        {help::FindCommandPage(helpDir, "Text"), cmds + "2d_commands/Text.htm"},
        {help::FindCommandPage(helpDir, "LoadImage"), std::nullopt},
        {help::FindCommandPage(helpDir, ""), std::nullopt},
        // Words that would leave the commands' folders.
        {help::FindCommandPage(helpDir, "../secret"), std::nullopt},
        {help::FindCommandPage(helpDir, "..\\secret"), std::nullopt},
        {help::FindCommandPage(helpDir, "2d_commands/Graphics"), std::nullopt},
    };
    for (const auto& [found, expected] : rows)
        EXPECT_EQ(found, expected) << expected.value_or("nothing").toStdString();
}

// Without a Blitz3D folder the help is nowhere, not in a "help" folder of
// wherever the program was started from.
TEST_F(HelpPages, WithoutABlitzFolderNothingIsLookedForInTheStartingFolder)
{
    for (const char* page : {"help/index.html", "help/commands/2d_commands/Graphics.htm", "index.html",
                             "commands/2d_commands/Graphics.htm"})
        dir.write(page, page);
    const QString before = QDir::currentPath();
    QDir::setCurrent(dir.path());
    Settings settings;
    settings.ProgramDir = dir.file("program");
    EXPECT_EQ(settings.B3DHelpDir(), QString());
    EXPECT_EQ(settings.B3DBinDir(), QString());
    EXPECT_EQ(help::HomePage(settings.B3DHelpDir()), QString());
    EXPECT_EQ(help::FindCommandPage(settings.B3DHelpDir(), "Graphics"), std::nullopt);
    EXPECT_TRUE(help::NoHelpFolderHtml(kLabels).contains("The Blitz3D folder is set in the settings"));
    QDir::setCurrent(before);
}

TEST_F(HelpPages, BrowserAndHelpUrlsTellUrlsFromPathsAndCarryThePathBack)
{
    const std::pair<QString, QString> rows[] = {
        {"http://ovrel.invalid/stavel/autoupdate.asp", "http://ovrel.invalid/stavel/autoupdate.asp"},
        {"file:///b3d/help/index.html", "file:///b3d/help/index.html"}, {"about:blank", "about:blank"},
        {"  /b3d/help/index.html ", "file:///b3d/help/index.html"}, {"", ""},
    };
    for (const auto& [input, url] : rows)
        EXPECT_EQ(help::ToBrowserUrl(input).toString(), url) << input.toStdString();

    // A drive letter is not a scheme.
    const QUrl drive = help::ToBrowserUrl(QStringLiteral("C:\\Blitz3D\\help\\index.html"));
    EXPECT_TRUE(drive.isLocalFile()) << drive.toString().toStdString();
    EXPECT_TRUE(drive.toLocalFile().endsWith("C:/Blitz3D/help/index.html"));

    // Help addresses carry the file's path there and back.
    for (const QString path : {"/home/me/Blitz3D/help/index.html", "/a b/100% #1?/Eof.htm", "C:/Blitz3D/help/x.htm",
                               "/opt/bl\u00e9tz/help/i.htm"}) {
        const QUrl url = help::ToHelpUrl(path);
        EXPECT_EQ(url.scheme(), help::kHelpScheme);
        EXPECT_TRUE(url.fragment().isEmpty() && url.query().isEmpty()) << url.toString().toStdString();
        EXPECT_EQ(help::HelpUrlPath(url), path);
    }
    EXPECT_EQ(help::HelpUrlPath(help::ToHelpUrl("C:\\Blitz3D\\help\\..\\x.htm")), "C:/Blitz3D/x.htm");
    // A link inside a page resolves against the page's folder.
    EXPECT_EQ(help::HelpUrlPath(help::ToHelpUrl("/b/help/commands/2d/a.htm").resolved(QUrl("../../Index.html"))),
              "/b/help/Index.html");
    EXPECT_EQ(help::HelpUrlPath(QUrl::fromLocalFile("/b/help/index.html")), "");
}

TEST_F(HelpPages, MissingPageSaysWhatWasLookedForAndWhereTheFolderIsSet)
{
    const QString missingHelp = dir.file("gone/help");
    const struct {
        QString path, helpDir;
        bool hint, folderMissing;
    } rows[] = {
        {helpDir + "/commands/2d_commands/Nope.htm", helpDir, true, false},
        {missingHelp + "/index.html", missingHelp, true, true},
        {helpDir + "/index.htm", helpDir + "/", true, false},
        {QDir::current().absoluteFilePath("rel/help/index.html"), "rel\\help", true, true},
        {dir.file("AutoUpdate.html"), helpDir, false, false},
        {dir.file("AutoUpdate.html"), QString(), false, false},
    };
    for (const auto& row : rows) {
        const QString html = help::MissingPageHtml(kLabels, row.path, row.helpDir);
        SCOPED_TRACE(row.path.toStdString());
        EXPECT_TRUE(html.contains(row.path));
        EXPECT_EQ(html.contains("The Blitz3D folder is set in the settings"), row.hint);
        EXPECT_EQ(html.contains("The help folder was not found"), row.folderMissing);
    }

    // A path is shown as text, never as markup.
    const QString html = help::MissingPageHtml(kLabels, helpDir + "/<b>&amp;%1.htm", helpDir);
    EXPECT_TRUE(html.contains("/&lt;b&gt;&amp;amp;%1.htm")) << html.toStdString();
    EXPECT_FALSE(html.contains("<b>&amp;"));
}

TEST_F(HelpPages, TheSchemeServesFilesWhateverTheCaseAndAPageForAMissingPage)
{
    dir.write(helpDir + "/samples/Demo.bb", "Print 1");
    QDir().mkpath(helpDir + "/Images");
    const QString cmds = helpDir + "/commands/";
    const struct {
        QString asked, file;
        QByteArray mimeType;
        bool missingPage;
    } rows[] = {
        {helpDir + "/INDEX.HTML", helpDir + "/Index.html", "text/html", false},
        {cmds + "2D_Commands/graphics.htm", cmds + "2d_commands/Graphics.htm", "text/html", false},
        {helpDir + "/samples/demo.BB", helpDir + "/samples/Demo.bb", "text/plain", false},
        {cmds + "Nope.htm", "", "", true},
        {helpDir + "/images", "", "", true},
        {helpDir + "/images/gone.png", "", "", false},
    };
    for (const auto& row : rows) {
        const help::HelpReply reply = help::ReplyFor(help::ToHelpUrl(row.asked), kLabels);
        SCOPED_TRACE(row.asked.toStdString());
        EXPECT_EQ(reply.file, row.file);
        EXPECT_EQ(reply.mimeType, row.mimeType);
        EXPECT_EQ(reply.missingPage.contains(row.asked.toHtmlEscaped()), row.missingPage);
    }
    const help::HelpReply other = help::ReplyFor(QUrl::fromLocalFile(helpDir + "/Index.html"), kLabels);
    EXPECT_TRUE(other.file.isEmpty() && other.missingPage.isEmpty());
}

TEST(WebEngineSetup, NoSandboxIsAddedOnceAndOnlyForRoot)
{
    EXPECT_EQ(help::ChromiumFlags("", true), "--no-sandbox");
    EXPECT_EQ(help::ChromiumFlags(" --disable-gpu  ", true), "--disable-gpu --no-sandbox");
    EXPECT_EQ(help::ChromiumFlags("--no-sandbox --disable-gpu", true), "--no-sandbox --disable-gpu");
    EXPECT_EQ(help::ChromiumFlags("--disable-gpu", false), "--disable-gpu");
    EXPECT_EQ(help::ChromiumFlags("", false), "");
}

}  // namespace

// A hover shows the start of a command page's description as plain text.
TEST(HelpPageSummary, TheDescriptionsFirstLinesAsText)
{
    const struct {
        const char* html;
        int lines;
        const char* expected;
    } rows[] = {
        {"<h1>Text x,y</h1><h1>Parameters</h1><table><tr><td>x = left</td></tr></table>"
         "<h1>Description</h1><table><tr><td>Prints a string &amp; more.<br />\r\n<br />\r\nNote: a  &lt;space&gt;."
         "<br />Third.</td></tr></table><h1><a href=x.bb>Example</a></h1>",
         2, "Prints a string & more.\n\nNote: a <space>."},
        {"<h1>Cls</h1><p>Clears the buffer.</p>", 5, "Clears the buffer."},
        {"", 3, ""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(help::CommandPageSummary(QString::fromLatin1(row.html), row.lines), QString::fromLatin1(row.expected))
            << row.html;
}
