// Open documents while other programs change, replace, rename or delete
// their files: nothing is overwritten or lost without the user's word.
#include "analysis/DeclList.h"
#include "support/AppFixture.h"

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

TEST_F(DiskChanges, AnUnmodifiedDocumentFollowsItsFileKeepingTheCaretLine)
{
    const std::string lines = NumberedLines("Print %1", 20);
    docs().OpenDoc(dir.write("a.bb", lines));
    const CDocPtr a = docs().Docs().first();
    editor().SetCaret(3, 12);
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
    EXPECT_EQ(editor().CaretPos().Line, 12);
    window->declList().SelectTab("Globals");
    EXPECT_EQ(window->declList().Names(), QStringList{"score"});
    EXPECT_FALSE(a->Modified);
    EXPECT_EQ(window->tabs().PictureOf(a->Key), DocumentTabs::kSavedPicture);

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
    EXPECT_EQ(prompter.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(editor().Text(), "; mine\r\nPrint 1");
    EXPECT_TRUE(current().Modified);
    Command("mnuSaveBBFile");
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(ReadFileBytes(path), "; mine\r\nPrint 1\r\n");

    // Changed again and saved before the watcher spoke: the save asks, and
    // a Cancel keeps the file and the document as they are.
    Pump(400);
    dir.write("a.bb", "Print 2\r\n");
    Type("x");
    prompter.shown.clear();
    prompter.answers = {MsgAnswer::Cancel};
    Command("mnuSaveBBFile");
    ASSERT_EQ(prompter.texts(), QStringList{app->labels.getValue("savechanged").replace("#path#", path)});
    EXPECT_EQ(ReadFileBytes(path), "Print 2\r\n");
    EXPECT_TRUE(current().Modified);

    // Then the watcher asks; OK reloads.
    prompter.answers = {MsgAnswer::Ok};
    ASSERT_TRUE(WaitUntil([&] { return editor().Text() == "Print 2"; }, 5000));
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
    EXPECT_EQ(editor().Text(), "Print 1");
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

}  // namespace
