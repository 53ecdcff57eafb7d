// A translated locale.txt relabels the whole window: menus, toolbar tooltips,
// tabs, pane titles and the status bar.
#include "documents/DocumentTabs.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>

namespace {

// The shipped file with every text replaced by "T" and its key; menu texts
// keep a mnemonic, the caret position its placeholders.
std::string TranslatedLocale()
{
    std::string out;
    const QRegularExpression entry(QStringLiteral(R"(^\s*([^#\[\s][^=]*?)\s*=)"));
    for (const QString& line : QString::fromStdString(ShippedResource("locale.txt")).split(QStringLiteral("\r\n"))) {
        const QRegularExpressionMatch m = entry.match(line);
        if (!m.hasMatch())
            continue;
        const QString key = m.captured(1).toLower();
        QString value = QStringLiteral("T") + key;
        if (key.startsWith(u"mnu"))
            value.prepend(u'&');
        if (key == u"l3")
            value += QStringLiteral(" #row#:#col#");
        out += (key + QStringLiteral(" = ") + value + QStringLiteral("\r\n")).toStdString();
    }
    return out;
}

class Captions : public AppFixture {
protected:
    Captions() { dir.write("locale.txt", TranslatedLocale()); }
};

TEST_F(Captions, ATranslatedLocaleRelabelsTheWholeWindow)
{
    const MainMenus& m = window->menus();
    const QStringList debugMenu = {"mnuDebugTop", "mnuDisableParsing", "mnuLogToFile"};
    for (auto it = m.items.begin(); it != m.items.end(); ++it) {
        const QString text = it.value()->text();
        const bool translated = debugMenu.contains(it.key()) || QString(text).remove('&').startsWith('T');
        EXPECT_TRUE(translated) << it.key().toStdString() << ": " << text.toStdString();
    }
    EXPECT_EQ(m.item("mnuNewBBFile")->text(), "&Tmnunewbbfile");
    EXPECT_EQ(m.item("mnuNewBBFile")->shortcut(), QKeySequence("Ctrl+N"));
    EXPECT_EQ(m.item("mnuCommentBlock")->text(), "&Tmnucomment");
    EXPECT_EQ(m.item("mnuInsertHex")->text(), "Tcolorhex");
    EXPECT_EQ(m.item("mnuDisableParsing")->text(), "Disable Parsing");
    EXPECT_EQ(m.item("mnuDebugTop")->text(), "Debug");

    // Tooltips read without the mnemonic, with the menu's shortcut.
    const QStringList untitled = {"btNewProject", "btOpenProject", "btSaveProject"};
    for (auto it = m.buttons.begin(); it != m.buttons.end(); ++it) {
        const QString tip = it.value()->toolTip();
        const bool translated =
            untitled.contains(it.key()) ? tip.isEmpty() : tip.startsWith("Tmnu") && !tip.contains('&');
        EXPECT_TRUE(translated) << it.key().toStdString() << ": " << tip.toStdString();
    }
    EXPECT_EQ(m.button("btCompile")->toolTip(), "Tmnucompile (F5)");
    EXPECT_EQ(m.button("btHelp")->toolTip(), "Tmnuhelp");
    EXPECT_EQ(m.button("btHelp")->text(), "Tmnuhelp");
    // No internal name shows, not even in the toolbars' own right-click menu.
    if (std::unique_ptr<QMenu> offered{static_cast<QMainWindow*>(window)->createPopupMenu()}) {
        for (const QAction* a : offered->actions())
            EXPECT_FALSE(m.toolbars.contains(a->text())) << a->text().toStdString();
    }

    EXPECT_EQ(window->findChild<QLabel*>("l1")->text(), "Tl1");
    EXPECT_EQ(window->findChild<QLabel*>("l2")->text(), "Tl2");
    Command("mnuNewBBFile");
    EXPECT_EQ(window->tabs().tabText(0), "Thelptab");
    EXPECT_EQ(window->tabs().tabText(1), "Tnewfile_1");
    EXPECT_EQ(window->findChild<QLabel*>("RowColPanel")->text(), "Tl3 1:0");
    // Columns count characters, as the compiler does, not the bytes of UTF-8.
    Type(QStringLiteral("\u00e9\t\U0001F600x"));
    EXPECT_EQ(window->findChild<QLabel*>("RowColPanel")->text(), "Tl3 1:4");

    // So do the messages.
    docs().OpenDoc(dir.file("missing.bb"));
    EXPECT_EQ(prompter.texts(), QStringList{"Tunabletoopen"});
}

}  // namespace
