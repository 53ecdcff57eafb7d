// File > Recent Files on the real main window, across a restart.
#include "documents/RecentFilesMenu.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>

namespace {

class RecentMenu : public AppFixture {
protected:
    QMenu& menu() const { return *window->menus().menus.value("mnuRecentFiles"); }
    // The texts of the submenu's items, separator as "-".
    QStringList Items() const
    {
        QStringList out;
        for (const QAction* a : menu().actions())
            out << (a->isSeparator() ? QStringLiteral("-") : a->text());
        return out;
    }
    void Choose(const QString& text)
    {
        for (QAction* a : menu().actions())
            if (a->text() == text)
                return a->trigger();
        ADD_FAILURE() << "no item " << text.toStdString();
    }
    QString Canonical(const QString& path) const { return QFileInfo(path).canonicalFilePath(); }
};

TEST_F(RecentMenu, ListsOpenedFilesNewestFirstOpensThemAndKeepsThemAcrossARestart)
{
    const QMenu* file = window->menus().menus.value("mnuFile");
    const int openAt = int(file->actions().indexOf(window->menus().item("mnuOpenBBFile")));
    EXPECT_EQ(file->actions().value(openAt + 1), menu().menuAction()) << "the submenu follows Open File";
    EXPECT_FALSE(menu().menuAction()->isEnabled()) << "nothing opened yet";

    const QString a = dir.write("game/a.bb", "Print 1\r\n");
    const QString b = dir.write("game/b.bb", "Print 2\r\n");
    docs().OpenDoc(a);
    docs().OpenDoc(b);
    EXPECT_TRUE(menu().menuAction()->isEnabled());
    EXPECT_EQ(Items(), (QStringList{"&1 b.bb", "&2 a.bb", "-", "&Clear Recent Files"}));
    EXPECT_EQ(menu().actions().front()->statusTip(), QDir::toNativeSeparators(Canonical(b)));

    // Chosen again, a closed file opens and comes to the top.
    docs().CloseAllDocs();
    Choose("&2 a.bb");
    ASSERT_TRUE(docs().CurrentDoc());
    EXPECT_EQ(Canonical(current().FilePath), Canonical(a));
    EXPECT_EQ(Items().mid(0, 2), (QStringList{"&1 a.bb", "&2 b.bb"}));

    // A file gone from disk is said and leaves the list.
    QFile::remove(b);
    prompter.shown.clear();
    Choose("&2 b.bb");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.texts().front().contains("no longer exists")) << prompter.texts().front().toStdString();
    EXPECT_EQ(Items(), (QStringList{"&1 a.bb", "-", "&Clear Recent Files"}));
    EXPECT_EQ(docs().Docs().size(), 1);

    // The list outlives the program, kept in the user's prefs.ini.
    Restart();
    EXPECT_EQ(Items(), (QStringList{"&1 a.bb", "-", "&Clear Recent Files"}));

    // Saving under a name lists the file too.
    Command("mnuNewBBFile");
    dialogs.files.push_back(dir.file("game/c.bb"));
    Command("mnuSaveBBFileAS");
    EXPECT_EQ(Items().mid(0, 2), (QStringList{"&1 c.bb", "&2 a.bb"}));

    Command("mnuClearRecentFiles");
    EXPECT_EQ(Items(), (QStringList{"-", "&Clear Recent Files"}));
    EXPECT_FALSE(menu().menuAction()->isEnabled());
    Restart();
    EXPECT_TRUE(window->recentFiles().List().Files().isEmpty());
}

}  // namespace
