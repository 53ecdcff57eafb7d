// Open documents while other programs change, replace, rename or delete
// their files: nothing is overwritten or lost without the user's word.
#include "panes/DeclList.h"
#include "support/AppFixture.h"
#include "support/TrapPipe.h"

#include <QDir>
#include <QFile>

namespace {

class DiskChanges : public AppFixture {
protected:
    // As another editor saves: a new file renamed over the old one.
    void Replace(const QString& path, const std::string& bytes)
    {
        const QString temporary = dir.write("other-editor.tmp", bytes);
        ASSERT_EQ(::rename(temporary.toLocal8Bit().constData(), path.toLocal8Bit().constData()), 0);
    }
    QString TextOf(const CDocPtr& doc) const { return editor().BufferText(*doc->EditorState); }
};

// The view once jumped on a reload (the caret line to the bottom edge, or
// everything to the top).
TEST_F(DiskChanges, AnUnmodifiedDocumentFollowsItsFileKeepingTheCaretAndTheView)
{
    const std::string lines = NumberedLines("Print %1 ; " + QString(300, u'-'), 200);
    docs().OpenDoc(dir.write("a.bb", lines));
    const CDocPtr a = docs().Docs().first();
    const EditorScroll view{50, 120};
    editor().SetCaret(40, 55);
    editor().SetScroll(view);
    docs().OpenDoc(dir.write("b.bb", "Cls\r\n"));

    // Written in place while shown.
    dir.write("b.bb", "Cls\r\nFlip\r\n");
    ASSERT_TRUE(WaitUntil([&] { return editor().Text() == "Cls\r\nFlip"; }, 5000)) << editor().Text().toStdString();
    EXPECT_FALSE(current().Modified);
    EXPECT_FALSE(editor().CanUndo());

    // Replaced by another editor while another document is shown: reloaded
    // too, and rescanned once shown.
    Replace(a->FilePath, "Global score\r\n" + lines);
    ASSERT_TRUE(WaitUntil([&] { return TextOf(a).startsWith("Global score\r\n"); }, 5000));
    EXPECT_EQ(current().FilePath, dir.file("b.bb"));
    ClickTab(a->Key);
    window->declList().SelectTab("Globals");
    EXPECT_EQ(window->declList().Names(), QStringList{"score"});
    EXPECT_FALSE(a->Modified);
    EXPECT_EQ(window->tabs().PictureOf(a->Key), DocumentTabs::kSavedPicture);
    const auto expectKept = [&] {
        EXPECT_EQ(editor().CaretPos().Line, 55);
        EXPECT_EQ(editor().CaretPos().Column, 40);
        EXPECT_EQ(editor().Scroll(), view);
    };
    expectKept();
    // Reloaded while shown, too.
    dir.write("a.bb", lines + "End\r\n");
    ASSERT_TRUE(WaitUntil([&] { return editor().Text().endsWith("End"); }, 5000));
    expectKept();

    // The replaced file is still watched; a file touched with the same bytes
    // is not a change.
    dir.write("a.bb", "End\r\n");
    ASSERT_TRUE(WaitUntil([&] { return editor().Text() == "End"; }, 5000));
    EXPECT_EQ(editor().CaretPos().Line, 1);
    Type("x");
    dir.write("a.bb", "End\r\n");
    Pump(400);  // past the 250 ms the watcher lets changes settle, and then some
    EXPECT_TRUE(prompter.shown.empty()) << prompter.texts().join("|").toStdString();
}

TEST_F(DiskChanges, AModifiedDocumentAsksAndSoDoesASaveOverAChangedFile)
{
    const QString path = dir.write("a.bb", "Print 1\r\n");
    docs().OpenDoc(path);
    Type("; mine\n");
    const QString changed = app->labels.getValue("filechanged").replace("#path#", path);

    // Kept: the text stays, and a save writes it without asking again.
    dir.write("a.bb", "Print \"theirs\"\r\n");
    prompter.answers = {MsgAnswer::Cancel};
    ASSERT_TRUE(WaitUntil([&] { return !prompter.shown.empty(); }, 5000));
    EXPECT_EQ(prompter.texts(), QStringList{changed});
    // OK would throw the user's text away: the buttons say what they do.
    EXPECT_EQ(prompter.shown[0].captions, QStringList({app->labels.getValue("reloadfromdisk"),
                                                       app->labels.getValue("keepmytext")}));
    EXPECT_TRUE(current().Modified);
    Command("mnuSaveBBFile");
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(ReadFileBytes(path), "; mine\r\nPrint 1\r\n");

    // Changed again and saved before the watcher spoke: the save asks, and
    // a Cancel keeps the file and the document as they are. (What tells a
    // change of the same size from the saved file: the disk check's table.)
    Pump(400);
    dir.write("a.bb", "; mine\r\nPrint 2\r\n");
    Type("x");
    prompter.shown.clear();
    prompter.answers = {MsgAnswer::Cancel};
    Command("mnuSaveBBFile");
    ASSERT_EQ(prompter.texts(), QStringList{app->labels.getValue("savechanged").replace("#path#", path)});
    EXPECT_EQ(ReadFileBytes(path), "; mine\r\nPrint 2\r\n");
    EXPECT_TRUE(current().Modified);

    // Then the watcher asks; OK reloads.
    prompter.answers = {MsgAnswer::Ok};
    ASSERT_TRUE(WaitUntil([&] { return editor().Text() == "; mine\r\nPrint 2"; }, 5000));
    EXPECT_EQ(prompter.texts().last(), changed);
    EXPECT_FALSE(current().Modified);
}

TEST_F(DiskChanges, AFileDeletedOrRenamedIsSaidOnceAndItsTextKept)
{
    const QString path = dir.write("a.bb", "Print 1\r\n");
    docs().OpenDoc(path);
    ASSERT_TRUE(QFile::rename(path, dir.file("renamed.bb")));
    ASSERT_TRUE(WaitUntil([&] { return !prompter.shown.empty(); }, 5000));
    Pump(400);
    EXPECT_EQ(prompter.texts(), QStringList{app->labels.getValue("filegone").replace("#path#", path)});
    EXPECT_TRUE(current().Modified);
    EXPECT_EQ(window->tabs().PictureOf(current().Key), DocumentTabs::kModifiedPicture);
    // No file holds the text, so no undo makes it unmodified.
    Type("x");
    Command("mnuUndo");
    EXPECT_TRUE(current().Modified);

    // Saving writes it again, and it is watched again.
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(path), "Print 1\r\n");
    EXPECT_FALSE(current().Modified);
    // Bytes of the same length with the same date are the file as saved: the
    // other program writes later than the file system's clock can tell apart.
    Pump(50);
    dir.write("a.bb", "Print 2\r\n");
    ASSERT_TRUE(WaitUntil([&] { return editor().Text() == "Print 2"; }, 5000));
    EXPECT_EQ(prompter.shown.size(), 1u);
}

// A file replaced by what cannot be read leaves its text open and marked
// modified, so that closing asks, and is said once. A pipe is never opened:
// it would hold the window until something wrote into it.
TEST_F(DiskChanges, AFileReplacedByWhatCannotBeReadKeepsItsTextModified)
{
    const QString mine = dir.write("mine.bb", "Print 0\r\n");
    docs().OpenDoc(mine);
    Type("; kept\n");
    QStringList paths;
    for (const char* name : {"folder.bb", "pipe.bb", "huge.bb"}) {
        paths << dir.write(name, "Print 1\r\n");
        docs().OpenDoc(paths.back());
    }
    // All at once: the watcher's check runs only once they are done. The
    // modified document is asked about and kept.
    prompter.answers = {MsgAnswer::Cancel};
    ASSERT_TRUE(QFile::remove(mine));
    const TrapPipe minePipe(mine);
    ASSERT_TRUE(QFile::remove(paths[0]) && QDir().mkdir(paths[0]));
    ASSERT_TRUE(QFile::remove(paths[1]));
    const TrapPipe pipe(paths[1]);
    ASSERT_TRUE(QFile::resize(paths[2], EditCtrl::kMaxFileBytes + 1));  // sparse: nothing is written
    ASSERT_TRUE(WaitUntil([&] { return prompter.shown.size() >= 4; }, 10000)) << prompter.texts().join("|").toStdString();
    Pump(400);
    const QStringList told = prompter.told();
    ASSERT_EQ(told.size(), 4) << told.join("|").toStdString();
    EXPECT_EQ(told[0], "Exclamation: " + app->labels.getValue("filechanged").replace("#path#", mine));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(told[i + 1].startsWith("Critical: Unable to reload " + paths[i])) << told[i + 1].toStdString();
    EXPECT_TRUE(told[2].contains("a pipe")) << told[2].toStdString();
    EXPECT_FALSE(minePipe.sprung() || pipe.sprung());
    for (const CDocPtr& d : docs().Docs()) {
        EXPECT_TRUE(d->Modified) << d->FilePath.toStdString();
        EXPECT_EQ(window->tabs().PictureOf(d->Key), DocumentTabs::kModifiedPicture);
    }
    EXPECT_EQ(editor().Text(), "Print 1");

    prompter.shown.clear();
    prompter.answers.assign(4, MsgAnswer::Cancel);
    Command("mnuCloseBBFileAll");
    EXPECT_EQ(prompter.shown.size(), 4u);
    EXPECT_EQ(docs().Docs().size(), 4);
}

}  // namespace
