#include "HelpTestSupport.h"
#include "help/HelpArea.h"
#include "help/HelpGraphics.h"
#include "help/HelpPages.h"

#include "support/TempDir.h"

#include <vector>

namespace {

class HelpBrowserTest : public ::testing::Test, public HelpWindow {
protected:
    TempDir dir;
    QString helpDir = dir.file(QStringLiteral("Blitz3D/help"));
    QUrl index, graphics, renderWorld;
    std::vector<QUrl> completed;

    void SetUp() override
    {
        index = Page("Blitz3D/help/index.html", "<a id=gone href=commands/2d_commands/Nothing.htm>gone</a>");
        graphics = Page("Blitz3D/help/commands/2d_commands/Graphics.htm", "<h1>Graphics width,height</h1>");
        renderWorld = Page("Blitz3D/help/commands/3d_commands/RenderWorld.htm", "<h1>RenderWorld [tween]</h1>");

        browser->hide();

        browser->SetHelpDir(helpDir);
        QObject::connect(browser, &HelpBrowser::DocumentComplete, browser,
                         [this](const QUrl& url) { completed.push_back(url); });
    }

    QUrl Page(const char* name, std::string_view html) const { return QUrl::fromLocalFile(dir.write(name, html)); }
    void LoadAndWait(const std::function<void()>& action, const QUrl& url)
    {
        ASSERT_TRUE(::LoadAndWait(*browser, action, url));
    }

    QString PageText() { return RunScript(*browser, "document.body ? document.body.textContent : ''").toString(); }

    // The generated page for `path` is there once the view stands at that
    // address and shows something.
    QString WaitForGeneratedPage(const QString& path)
    {
        const QUrl url = QUrl::fromLocalFile(path);
        QString text;
        EXPECT_TRUE(WaitUntil([&] {
            if (browser->CurrentUrl() != url)
                return false;
            text = PageText();
            return text.contains(QStringLiteral("could not be shown"));
        })) << browser->CurrentUrl().toString().toStdString();
        return text;
    }
};

TEST_F(HelpBrowserTest, HelpToolbarShowsTheBrowserForTheEditorWalksItsHistoryAndMissingPagesSaySo)
{
    HelpArea area(editor, browser);
    const auto browserInFront = [&] {
        return area.BrowserShown() && browser->isVisible() && !editor->isVisible();
    };
    // Back and forward on an empty history do nothing.
    area.btPrev();
    area.btNext();
    Pump(200);  // time for the engine to do what it should not
    EXPECT_TRUE(completed.empty());

    // Home while the editor is shown brings the browser up on the index.
    area.ShowEditor();
    LoadAndWait([&] { area.btHome(); }, index);
    EXPECT_TRUE(browserInFront());
    LoadAndWait([&] { browser->Navigate(*help::FindCommandPage(helpDir, "graphics")); }, graphics);
    // Windows separators and letter case as a user would write them.
    LoadAndWait([&] { browser->Navigate(helpDir + "\\Commands\\3D_COMMANDS\\renderworld.htm"); }, renderWorld);
    EXPECT_TRUE(PageText().contains("RenderWorld [tween]"));

    // Already in front: asking for home through ShowHelpBrowser changes nothing.
    area.ShowHelpBrowser(true);
    // The editor comes back; the browser keeps its page for the next time.
    area.ShowEditor();
    EXPECT_TRUE(editor->isVisible() && !browser->isVisible() && !area.BrowserShown());
    area.ShowHelpBrowser(false);
    Pump(200);  // time for the engine to do what it should not
    EXPECT_TRUE(browserInFront());
    EXPECT_EQ(browser->CurrentUrl(), renderWorld);

    // Back and forward from the editor show the browser and step.
    using Button = void (HelpArea::*)();
    for (const auto& [button, page] : {std::pair<Button, QUrl>{&HelpArea::btPrev, graphics}, {&HelpArea::btPrev, index},
                                       {&HelpArea::btNext, graphics}, {&HelpArea::btNext, renderWorld}}) {
        area.ShowEditor();
        LoadAndWait([&] { (area.*button)(); }, page);
        EXPECT_TRUE(browserInFront());
        EXPECT_EQ(browser->CanGoBack(), page != index);
        EXPECT_EQ(browser->CanGoForward(), page != renderWorld);
    }
    // Every completed document was announced once, history steps included.
    EXPECT_EQ(completed, (std::vector<QUrl>{index, graphics, renderWorld, graphics, index, graphics, renderWorld}));

    // Home while in front only loads the index; from the editor,
    // ShowHelpBrowser(true) does go home.
    LoadAndWait([&] { area.btHome(); }, index);
    EXPECT_TRUE(browserInFront());
    LoadAndWait([&] { browser->Navigate(renderWorld); }, renderWorld);
    area.ShowEditor();
    LoadAndWait([&] { area.ShowHelpBrowser(true); }, index);

    // A dead link inside the help gives a page that says what was looked
    // for, instead of the engine's.
    const std::size_t before = completed.size();
    const QString nothing = helpDir + "/commands/2d_commands/Nothing.htm";
    browser->View()->page()->runJavaScript("document.getElementById('gone').click()");
    const QString text = WaitForGeneratedPage(nothing);
    EXPECT_TRUE(text.contains("This help page was not found")) << text.toStdString();
    EXPECT_TRUE(text.contains(nothing));

    // They stay in the history like any page.
    LoadAndWait([&] { browser->GoBack(); }, index);
    browser->GoForward();
    WaitForGeneratedPage(nothing);

    // Without a Blitz3D folder Home says so; once the settings name a
    // folder that holds the help, its home page shows.
    browser->SetHelpDir("");
    browser->GoHome();
    EXPECT_TRUE(WaitUntil([&] { return PageText().contains("No Blitz3D folder is set"); }));
    LoadAndWait([&] { browser->SetHelpDir(helpDir); }, index);
    // Generated pages are not the documents asked for: no completion for them.
    for (std::size_t i = before; i < completed.size(); ++i)
        EXPECT_EQ(completed[i], index);
}

}  // namespace

TEST(SoftwareHelpDrawing, LeavesOpenGlUnloadedWhileTheApplicationStartsAndKeepsTheUsersChoice)
{
    struct Row {
        const char* quickBackend;  // nullptr: not set
        const char* glIntegration;
        QByteArray whileStarting, afterwards;
    };
    const Row rows[] = {
        {nullptr, nullptr, "none", ""},
        {nullptr, "xcb_glx", "xcb_glx", "xcb_glx"},
        {"rhi", nullptr, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.glIntegration ? row.glIntegration : row.quickBackend ? row.quickBackend : "nothing set");
        for (const auto& [name, value] : {std::pair{"QT_QUICK_BACKEND", row.quickBackend},
                                          std::pair{"QT_XCB_GL_INTEGRATION", row.glIntegration}}) {
            if (value)
                qputenv(name, value);
            else
                qunsetenv(name);
        }
        help::SoftwareHelpDrawing drawing;
        EXPECT_EQ(qgetenv("QT_XCB_GL_INTEGRATION"), row.whileStarting);
        drawing.ApplicationMade();
        EXPECT_EQ(qgetenv("QT_XCB_GL_INTEGRATION"), row.afterwards);
    }
    qunsetenv("QT_QUICK_BACKEND");
}
