// The documents on the real main window: tabs, switching, opening, closing.
#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "support/AppFixture.h"
#include "support/TrapPipe.h"

#include <QAction>
#include <QDropEvent>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <unistd.h>

namespace {

class Documents : public AppFixture {
protected:
    QStringList TabCaptions() const
    {
        QStringList out;
        for (int i = 0; i < window->tabs().count(); ++i)
            out << window->tabs().tabText(i);
        return out;
    }
    QStringList DocKeys() const
    {
        QStringList out;
        for (const CDocPtr& d : docs().Docs())
            out << d->Key;
        return out;
    }
};

TEST_F(Documents, NewDocumentsAreNumberedOnceTabbedInOrderAndClosedToTheNextTab)
{
    // Before any document: the help tab, shown, and the help's home page in
    // place of the editor.
    EXPECT_EQ(TabCaptions(), QStringList{"Help"});
    EXPECT_GT(window->tabs().height(), 0) << "regression: the tab strip laid out before its first tab kept no height";
    EXPECT_TRUE(window->help().BrowserShown());
    EXPECT_FALSE(editor().isVisible());
    EXPECT_TRUE(WaitUntil([&] { return window->helpBrowser().CurrentUrl().toString().endsWith("help/index.html"); }))
        << "regression: the home page was not loaded at start";
    for (int i = 0; i < 4; ++i)
        Command("mnuNewBBFile");
    EXPECT_EQ(DocKeys(), (QStringList{"Doc_1", "Doc_2", "Doc_3", "Doc_4"}));
    EXPECT_EQ(TabCaptions(), (QStringList{"Help", "newfile_1", "newfile_2", "newfile_3", "newfile_4"}));
    EXPECT_FALSE(window->help().BrowserShown());
    EXPECT_EQ(window->tabs().SelectedKey(), "Doc_4");

    // Closing picks the next document by tab position: closing B of A, B,
    // C, D shows D.
    ClickTab("Doc_2");
    Command("mnuCloseBBFile");
    EXPECT_EQ(window->tabs().SelectedKey(), "Doc_4");
    EXPECT_EQ(current().Key, "Doc_4");
    Command("mnuNewBBFile");
    EXPECT_EQ(DocKeys(), (QStringList{"Doc_1", "Doc_3", "Doc_4", "Doc_5"}));
    EXPECT_EQ(TabCaptions().last(), "newfile_5");
}

TEST_F(Documents, EachDocumentKeepsItsTextCaretSelectionScrollUndoAndModifiedMark)
{
    docs().OpenDoc(dir.write("long.bb", NumberedLines("Print %1", 300)));
    const QString first = current().Key;
    EXPECT_FALSE(current().Modified);
    EXPECT_EQ(window->tabs().PictureOf(first), DocumentTabs::kSavedPicture);
    editor().SetCaret(2, 250);
    Type("x");  // the first edit, to undo later
    EXPECT_TRUE(current().Modified);
    EXPECT_EQ(window->tabs().PictureOf(first), DocumentTabs::kModifiedPicture);
    const EditorSelection sel{true, 1, 249, 4, 249};
    editor().SetSelection(sel);
    const QByteArray text = editor().Text();
    Command("mnuNewBBFile");
    EXPECT_FALSE(editor().CanUndo());
    Type("Cls\nFlip");
    editor().SetCaret(1, 2);

    ClickTab(first);
    EXPECT_EQ(editor().Text(), text);
    EXPECT_EQ(editor().Selection(), sel);
    EXPECT_GT(editor().CaretPoint().y(), 0);  // still scrolled to the caret
    EXPECT_LT(editor().CaretPoint().y(), editor().height());
    // Undone back to the text on disk, the document is unmodified again; a
    // redo takes it away from it.
    for (const bool modified : {false, true, false}) {
        modified ? editor().Redo() : editor().Undo();
        EXPECT_EQ(window->tabs().PictureOf(first), modified ? DocumentTabs::kModifiedPicture : DocumentTabs::kSavedPicture);
    }
    EXPECT_EQ(editor().LineText(250), "Print 250");

    // The help tab in between loses nothing either.
    ClickTab(DocumentTabs::kHelpTabKey);
    EXPECT_TRUE(window->help().BrowserShown());
    ClickTab("Doc_2");
    EXPECT_FALSE(window->help().BrowserShown());
    EXPECT_EQ(editor().Text(), "Cls\r\nFlip");
    EXPECT_EQ(editor().CaretPos().Column, 1);
    EXPECT_EQ(editor().CaretPos().Line, 2);
}

// Two main.bb of different folders once looked the same, and a long name
// took the width of the window.
TEST_F(Documents, TabsSayWhichFileTheyAreAndShortenLongNames)
{
    const QString first = dir.write("game/main.bb", ""), second = dir.write("tools/main.bb", "");
    const QString longName = dir.write(QString(150, u'x') + "_end.bb", "");
    const QString ampersand = dir.write("R&D.bb", "");
    Command("mnuNewBBFile");
    for (const QString& path : {first, second, ampersand, longName})
        docs().OpenDoc(path);
    DocumentTabs& tabs = window->tabs();
    QStringList tips;
    for (int i = 0; i < tabs.count(); ++i)
        tips << tabs.tabToolTip(i);
    EXPECT_EQ(tips, (QStringList{"", "newfile_1", first, second, ampersand, longName}));
    EXPECT_EQ(tabs.tabText(4), "R&&D.bb") << "a & in a name is shown, not made a key";

    const int last = tabs.count() - 1;
    EXPECT_EQ(tabs.tabText(last), QString(150, u'x') + "_end.bb");
    EXPECT_LT(tabs.tabRect(last).width(), tabs.fontMetrics().horizontalAdvance(tabs.tabText(last)) / 3);
    EXPECT_GT(tabs.tabRect(0).width(), tabs.fontMetrics().horizontalAdvance(tabs.tabText(0)));

    // Save As gives the tab its new name and path.
    const QString renamed = dir.file("tools/other.bb");
    dialogs.files = {renamed};
    ClickTab("Doc_1");
    Command("mnuSaveBBFileAS");
    EXPECT_EQ(tabs.tabText(1), "other.bb");
    EXPECT_EQ(tabs.tabToolTip(1), renamed);
}

TEST_F(Documents, OneFileIsOneDocumentHoweverItsPathIsWrittenButLetterCaseCounts)
{
    const QString a = dir.write("sub/a.bb", "Print \"a\"\r\n");
    const QString upper = dir.write("sub/A.bb", "Print \"A\"\r\n");
    ASSERT_TRUE(QFile::link(a, dir.file("link.bb")));
    ASSERT_EQ(::link(a.toLocal8Bit().constData(), dir.file("hard.bb").toLocal8Bit().constData()), 0);
    for (const QString& spelling : {a, dir.file("sub/../sub/a.bb"), dir.file("link.bb"), dir.file("hard.bb")})
        docs().OpenDoc(spelling);
    EXPECT_EQ(docs().Docs().size(), 1);
    docs().OpenDoc(upper);
    ASSERT_EQ(docs().Docs().size(), 2);
    EXPECT_EQ(editor().Text(), "Print \"A\"");
    // Opening an open file, from the Open dialog too, switches to it.
    dialogs.files = {dir.file("link.bb")};
    Command("mnuOpenBBFile");
    EXPECT_EQ(docs().Docs().size(), 2);
    EXPECT_EQ(current().FilePath, a);
    EXPECT_EQ(window->tabs().SelectedKey(), current().Key);
    EXPECT_EQ(editor().Text(), "Print \"a\"");
    docs().OpenDoc(upper);

    // Save As onto another spelling of a's file is refused as a's own path is.
    for (const QString& spelling : {dir.file("sub/./a.bb"), dir.file("link.bb"), dir.file("hard.bb")}) {
        dialogs.files = {spelling};
        prompter.shown.clear();
        Command("mnuSaveBBFileAS");
        EXPECT_EQ(current().FilePath, upper);
        ASSERT_EQ(prompter.shown.size(), 1u) << spelling.toStdString();
        EXPECT_TRUE(prompter.shown[0].text.contains("open in another tab")) << prompter.shown[0].text.toStdString();
    }
    EXPECT_EQ(ReadFileBytes(a), "Print \"a\"\r\n");
}

TEST_F(Documents, AFileThatCannotBeReadOpensNothing)
{
    QDir().mkpath(dir.file("folder.bb"));
    // A pipe would block the window for as long as nothing writes into it.
    const TrapPipe pipe(dir.file("pipe.bb"));
    ASSERT_TRUE(pipe.made());
    // An asset far too large to be a source (a sparse file, so nothing is written).
    QFile huge(dir.file("huge.bb"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(EditCtrl::kMaxFileBytes + 1));
    huge.close();
    for (const char* name : {"missing.bb", "folder.bb", "pipe.bb", "huge.bb"}) {
        const QString path = dir.file(name);
        prompter.shown.clear();
        docs().OpenDoc(path);
        EXPECT_TRUE(docs().Docs().isEmpty()) << path.toStdString();
        ASSERT_EQ(prompter.shown.size(), 1u);
        EXPECT_TRUE(prompter.told()[0].startsWith("Critical: Unable to open " + path));
    }
    EXPECT_EQ(TabCaptions(), QStringList{"Help"});
    EXPECT_FALSE(pipe.sprung());
    // The failures used up no document number.
    Command("mnuNewBBFile");
    EXPECT_EQ(current().Key, "Doc_1");
}

TEST_F(Documents, WhatTheUserDoesWhileAFileOpensIsSafe)
{
    const QString a = dir.write("a.bb", "Global a\r\n");
    const QString b = dir.write("b.bb", "Global b\r\n");
    docs().OpenDoc(a);

    // A tab click while b loads: b still ends up shown, with its own text.
    QTimer::singleShot(0, window, [&] { ClickTab(docs().Docs().first()->Key); });
    docs().OpenDoc(b);
    EXPECT_EQ(current().FilePath, b);
    EXPECT_EQ(window->tabs().SelectedKey(), current().Key);
    EXPECT_EQ(editor().Text(), "Global b");
    EXPECT_EQ(docs().Docs().first()->FilePath, a);

    // Everything closed while a file loads: nothing is left to show.
    const QString c = dir.write("c.bb", "Global c\r\n");
    QTimer::singleShot(0, window, [&] { Command("mnuCloseBBFileAll"); });
    docs().OpenDoc(c);
    EXPECT_TRUE(docs().Docs().isEmpty());
    EXPECT_EQ(docs().CurrentDoc(), nullptr);
}

TEST_F(Documents, OnlySourcesDroppedOnTheEditorOpen)
{
    // Dragged in and dropped; whether the drag was taken.
    const auto drop = [this](const QMimeData& data) {
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(editorArea(), &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(editorArea(), &dropped);
        return enter.isAccepted();
    };
    Command("mnuNewBBFile");
    Type("Cls");
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(dir.write("notes.txt", "hello\r\n")),
                  QUrl::fromLocalFile(dir.write("PROG.BB", "End\r\n"))});
    EXPECT_TRUE(drop(data));
    ASSERT_EQ(docs().Docs().size(), 2);
    EXPECT_EQ(current().FileTitle, "PROG.BB");
    // Nothing of the drop lands in any text.
    EXPECT_EQ(editor().Text(), "End");
    ClickTab("Doc_1");
    EXPECT_EQ(editor().Text(), "Cls");

    // Text dragged in from another program is not taken.
    QMimeData words;
    words.setText("Print \"dragged\"");
    EXPECT_FALSE(drop(words));
    EXPECT_EQ(editor().Text(), "Cls");
}

TEST_F(Documents, ClosingAModifiedDocumentAsksYesNoCancelAndExitAsksFirst)
{
    const QString a = dir.write("a.bb", "Print 1\r\n");
    const QString b = dir.write("b.bb", "Print 2\r\n");
    const QString c = dir.write("c.bb", "Print 3\r\n");
    docs().OpenDoc(a);
    Type("; edited a\n");
    docs().OpenDoc(b);
    Type("; edited b\n");
    docs().OpenDoc(c);
    Type("x");
    Command("mnuUndo");

    // Close All, from the help page, shows each document it asks about:
    // Cancel keeps a open; Yes saves b; c, undone to its file, goes unasked.
    QStringList inFront;
    prompter.onShow = [&] { inFront << (window->help().BrowserShown() ? QString("help") : current().FileTitle); };
    ClickTab(DocumentTabs::kHelpTabKey);
    prompter.answers = {MsgAnswer::Cancel, MsgAnswer::Yes};
    Command("mnuCloseBBFileAll");
    const QString closing = "Exclamation: " + app->labels.getValue("closebbf");
    EXPECT_EQ(prompter.told(), QStringList({QString(closing).replace("#docname#", "a.bb"),
                                            QString(closing).replace("#docname#", "b.bb")}));
    EXPECT_EQ(prompter.shown[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(inFront, (QStringList{"a.bb", "b.bb"}));
    prompter.onShow = nullptr;
    ASSERT_EQ(docs().Docs().size(), 1);
    EXPECT_EQ(current().FilePath, a);
    EXPECT_EQ(ReadFileBytes(b), "; edited b\r\nPrint 2\r\n");

    // Exit asks first, with the information icon; Cancel keeps everything.
    docs().OpenDoc(b);
    Type("y");
    prompter.shown.clear();
    prompter.answers = {MsgAnswer::Cancel};
    Command("mnuExit");
    EXPECT_EQ(prompter.told(), QStringList{"Information: " + app->labels.getValue("askexit")});
    EXPECT_EQ(prompter.shown.at(0).buttons, MsgButtons::OkCancel);
    EXPECT_EQ(docs().Docs().size(), 2);

    // OK, then No for a, then Cancel for b: a is closed unsaved, b and the
    // window stay.
    prompter.answers = {MsgAnswer::Ok, MsgAnswer::No, MsgAnswer::Cancel};
    Command("mnuExit");
    EXPECT_TRUE(window->isVisible());
    ASSERT_EQ(docs().Docs().size(), 1);
    EXPECT_EQ(current().FileTitle, "b.bb");
    EXPECT_EQ(ReadFileBytes(a), "Print 1\r\n");
    EXPECT_EQ(ReadFileBytes(c), "Print 3\r\n");
}

TEST_F(Documents, MenuClicksAreLoggedAndTheProjectCommandsAreNotThereYet)
{
    window->menus().item("mnuLogToFile")->trigger();
    window->menus().item("mnuOpenBBFile")->trigger();  // the dialog is cancelled
    window->menus().item("mnuLogToFile")->trigger();
    EXPECT_NE(dir.read("debug.log").find("Clicked menu item mnuopenbbfile\r\n\r\n"), std::string::npos);

    // The project toolbar only says it is not there yet, and changes nothing.
    prompter.shown.clear();
    window->menus().button("btNewProject")->trigger();
    EXPECT_EQ(prompter.told(), QStringList{"Information: Project management still to do..."});
    EXPECT_TRUE(docs().Docs().isEmpty());
}

}  // namespace
