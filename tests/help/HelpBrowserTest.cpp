#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "help/HelpPages.h"

#include "support/TempDir.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

namespace {

// The engine works in another process: everything is waited for, with a
// deadline generous enough for a loaded CI machine.
bool WaitUntil(const std::function<bool()>& done, int ms = 30000)
{
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Lets the engine run for a while when the test expects nothing to happen.
void Settle(int ms = 400)
{
    WaitUntil([] { return false; }, ms);
}

QUrl FileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

class HelpBrowserTest : public ::testing::Test {
protected:
    TempDir dir;
    QString helpDir = dir.file(QStringLiteral("Blitz3D/help"));
    QString index, graphics, renderWorld;
    QWidget window;
    QWidget* editor = new QWidget(&window);
    HelpBrowser* browser = new HelpBrowser(&window);
    std::vector<QUrl> completed;

    void SetUp() override
    {
        index = dir.write(QStringLiteral("Blitz3D/help/index.html"),
                          "<html><body><h1>Blitz3D help</h1>"
                          "<p>Version <span id=\"spVersion\">?</span></p>"
                          "<div id=\"spMsg\">waiting</div>"
                          "<a id=\"gone\" href=\"commands/2d_commands/Nothing.htm\">gone</a>"
                          "</body></html>");
        graphics = dir.write(QStringLiteral("Blitz3D/help/commands/2d_commands/Graphics.htm"),
                             "<html><body><h1>Graphics width,height</h1></body></html>");
        renderWorld =
            dir.write(QStringLiteral("Blitz3D/help/commands/3d_commands/RenderWorld.htm"),
                      "<html><body><h1>RenderWorld [tween]</h1></body></html>");

        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(editor);
        layout->addWidget(browser);
        browser->hide();
        window.resize(640, 480);
        window.show();

        browser->SetHelpDir(helpDir);
        QObject::connect(browser, &HelpBrowser::DocumentComplete, browser,
                         [this](const QUrl& url) { completed.push_back(url); });
    }

    // Runs `action` and waits for the page at `url` to complete.
    void LoadAndWait(const std::function<void()>& action, const QUrl& url)
    {
        const std::size_t before = completed.size();
        action();
        ASSERT_TRUE(WaitUntil([&] { return completed.size() > before && completed.back() == url; }))
            << "waited for " << url.toString().toStdString() << ", at "
            << browser->CurrentUrl().toString().toStdString();
    }

    QString PageText()
    {
        std::optional<QString> text;
        browser->View()->page()->toPlainText([&](const QString& t) { text = t; });
        EXPECT_TRUE(WaitUntil([&] { return text.has_value(); }));
        return text.value_or(QString());
    }

    // The generated page for `url` is there once the view stands at that
    // address and shows something.
    QString WaitForGeneratedPage(const QUrl& url)
    {
        QString text;
        EXPECT_TRUE(WaitUntil([&] {
            if (browser->CurrentUrl() != url)
                return false;
            text = PageText();
            return text.contains(QStringLiteral("could not be shown"));
        })) << browser->CurrentUrl().toString().toStdString();
        return text;
    }

    std::optional<QString> Read(bool html, const QString& id)
    {
        std::optional<std::optional<QString>> result;
        auto done = [&](std::optional<QString> v) { result = v; };
        html ? browser->ElementHtml(id, done) : browser->ElementText(id, done);
        EXPECT_TRUE(WaitUntil([&] { return result.has_value(); }));
        return result.value_or(std::nullopt);
    }

    bool Set(bool html, const QString& id, const QString& value)
    {
        std::optional<bool> found;
        auto done = [&](bool f) { found = f; };
        html ? browser->SetElementHtml(id, value, done) : browser->SetElementText(id, value, done);
        EXPECT_TRUE(WaitUntil([&] { return found.has_value(); }));
        return found.value_or(false);
    }
};

TEST_F(HelpBrowserTest, NavigatesHomeToCommandPagesAndThroughItsHistory)
{
    browser->show();
    EXPECT_FALSE(browser->CanGoBack());
    // Back and forward on an empty history do nothing.
    browser->GoBack();
    browser->GoForward();
    Settle();

    LoadAndWait([&] { browser->GoHome(); }, FileUrl(index));
    LoadAndWait([&] { browser->Navigate(*help::FindCommandPage(helpDir, "graphics")); },
                FileUrl(graphics));
    // Windows separators and letter case as a user would write them.
    LoadAndWait([&] { browser->Navigate(helpDir + "\\Commands\\3D_COMMANDS\\renderworld.htm"); },
                FileUrl(renderWorld));
    EXPECT_TRUE(PageText().contains("RenderWorld [tween]"));

    LoadAndWait([&] { browser->GoBack(); }, FileUrl(graphics));
    LoadAndWait([&] { browser->GoBack(); }, FileUrl(index));
    EXPECT_FALSE(browser->CanGoBack());
    EXPECT_TRUE(browser->CanGoForward());
    LoadAndWait([&] { browser->GoForward(); }, FileUrl(graphics));
    LoadAndWait([&] { browser->GoForward(); }, FileUrl(renderWorld));
    EXPECT_FALSE(browser->CanGoForward());

    // Every completed document was announced once, history steps included.
    const std::vector<QUrl> expected = {FileUrl(index),  FileUrl(graphics), FileUrl(renderWorld),
                                        FileUrl(graphics), FileUrl(index),  FileUrl(graphics),
                                        FileUrl(renderWorld)};
    EXPECT_EQ(completed, expected);

    // Nothing more to go forward to: the page stays.
    browser->GoForward();
    Settle();
    EXPECT_EQ(browser->CurrentUrl(), FileUrl(renderWorld));
    EXPECT_EQ(completed.size(), expected.size());
}

TEST_F(HelpBrowserTest, ElementsAreReadAndWrittenById)
{
    LoadAndWait([&] { browser->GoHome(); }, FileUrl(index));

    // Text stays text, even when it looks like markup.
    EXPECT_TRUE(Set(false, "spVersion", "0.8.20 <b>beta</b>"));
    EXPECT_EQ(Read(false, "spVersion"), QString("0.8.20 <b>beta</b>"));
    EXPECT_EQ(Read(true, "spVersion"), QString("0.8.20 &lt;b&gt;beta&lt;/b&gt;"));

    // HTML is markup; quotes and line breaks reach the page unharmed.
    const QString message = "<B><font color=\"#009900\">Your version's\nUpdated!</font></B>";
    EXPECT_TRUE(Set(true, "spMsg", message));
    EXPECT_EQ(Read(false, "spMsg"), QString("Your version's Updated!"));
    EXPECT_TRUE(PageText().contains("Your version's Updated!"));

    // A page without the element is left as it was and says so.
    EXPECT_FALSE(Set(false, "nothere", "x"));
    EXPECT_FALSE(Set(true, "it's \"odd\"", "x"));
    EXPECT_EQ(Read(false, "nothere"), std::nullopt);
    EXPECT_TRUE(Read(true, "spMsg").value_or("").contains("#009900"));
}

TEST_F(HelpBrowserTest, MissingHelpGivesAPageThatSaysWhatWasLookedFor)
{
    // No help folder at all: the home page explains it.
    const QString noHelp = dir.file(QStringLiteral("NoBlitz/help"));
    browser->SetHelpDir(noHelp);
    browser->GoHome();
    QString text = WaitForGeneratedPage(FileUrl(noHelp + "/index.html"));
    EXPECT_TRUE(text.contains("The help folder was not found")) << text.toStdString();
    EXPECT_TRUE(text.contains(noHelp + "/index.html"));

    // The folder is there, one page is not.
    browser->SetHelpDir(helpDir);
    LoadAndWait([&] { browser->GoHome(); }, FileUrl(index));
    const QString nope = helpDir + "/commands/2d_commands/Nope.htm";
    browser->Navigate(nope);
    text = WaitForGeneratedPage(FileUrl(nope));
    EXPECT_TRUE(text.contains("This help page was not found"));

    // A dead link inside the help gets the same page instead of the engine's.
    LoadAndWait([&] { browser->GoBack(); }, FileUrl(index));
    browser->View()->page()->runJavaScript("document.getElementById('gone').click()");
    text = WaitForGeneratedPage(FileUrl(helpDir + "/commands/2d_commands/Nothing.htm"));
    EXPECT_TRUE(text.contains("Nothing.htm"));

    // Generated pages are not the documents asked for: no completion for them.
    for (const QUrl& url : completed)
        EXPECT_EQ(url, FileUrl(index));

    // They stay in the history like any page.
    LoadAndWait([&] { browser->GoBack(); }, FileUrl(index));
    browser->GoForward();
    WaitForGeneratedPage(FileUrl(helpDir + "/commands/2d_commands/Nothing.htm"));
}

TEST_F(HelpBrowserTest, HelpAreaShowsEitherTheEditorOrTheBrowser)
{
    HelpArea area(editor, browser);
    const auto browserInFront = [&] {
        return area.BrowserShown() && browser->isVisible() && !editor->isVisible();
    };

    // Home while the editor is shown brings the browser up on the index.
    LoadAndWait([&] { area.btHome(); }, FileUrl(index));
    EXPECT_TRUE(browserInFront());
    LoadAndWait([&] { browser->Navigate(graphics); }, FileUrl(graphics));

    // Already in front: asking for home through ShowHelpBrowser changes nothing.
    area.ShowHelpBrowser(true);
    Settle();
    EXPECT_EQ(browser->CurrentUrl(), FileUrl(graphics));

    // The editor comes back; the browser keeps its page for the next time.
    area.ShowEditor();
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(browser->isVisible());
    EXPECT_FALSE(area.BrowserShown());
    area.ShowHelpBrowser(false);
    Settle();
    EXPECT_TRUE(browserInFront());
    EXPECT_EQ(browser->CurrentUrl(), FileUrl(graphics));

    // Back from the editor shows the browser and steps back.
    area.ShowEditor();
    LoadAndWait([&] { area.btPrev(); }, FileUrl(index));
    EXPECT_TRUE(browserInFront());
    area.ShowEditor();
    LoadAndWait([&] { area.btNext(); }, FileUrl(graphics));
    EXPECT_TRUE(browserInFront());

    // Home while in front only loads the index.
    LoadAndWait([&] { area.btHome(); }, FileUrl(index));
    EXPECT_TRUE(browserInFront());

    // ShowHelpBrowser(true) from the editor does go home.
    LoadAndWait([&] { browser->Navigate(renderWorld); }, FileUrl(renderWorld));
    area.ShowEditor();
    LoadAndWait([&] { area.ShowHelpBrowser(true); }, FileUrl(index));
}

}  // namespace
