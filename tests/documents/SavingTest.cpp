// Nothing is lost: what is opened is written back byte for byte, and a save
// that fails leaves both the file and the document as they were.
#include "documents/DocumentTabs.h"
#include "support/AppFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <tuple>

namespace {

class Saving : public AppFixture {};

TEST_F(Saving, OpenThenSaveWritesTheSameBytes)
{
    // File bytes, the text shown (in UTF-8), whether the file is UTF-8.
    const std::tuple<std::string, std::string, bool> files[] = {
        {"Graphics 640,480\r\nPrint \"hello\"\r\n", "Graphics 640,480\r\nPrint \"hello\"", false},
        {"Print 1\r\nPrint 2", "Print 1\r\nPrint 2", false},  // no final line end: none is added on save
        {"Print 1\nPrint 2\n", "Print 1\nPrint 2", false},
        {"mixed\r\nline\nends\r\n\r\n", "mixed\r\nline\nends\r\n", false},  // an empty last line
        {"caf\xC3\xA9 ; \xE2\x82\xAC\r\n", "caf\xC3\xA9 ; \xE2\x82\xAC", true},
        {"Print \"caf\xE9 \x93\x80\x94\"\r\n", "Print \"caf\xC3\xA9 \xE2\x80\x9C\xE2\x82\xAC\xE2\x80\x9D\"", false},  // Windows-1252
        {"\xEF\xBB\xBFGlobal a\r\n", "Global a", true},  // the byte-order mark is no part of the text
        {"", "", false},
    };
    int n = 0;
    for (const auto& [bytes, text, utf8] : files) {
        const QString path = dir.write(QStringLiteral("f%1.bb").arg(n++), bytes);
        docs().OpenDoc(path);
        ASSERT_EQ(current().FilePath, path);
        SCOPED_TRACE(bytes);
        EXPECT_EQ(editor().Text().toStdString(), text);
        EXPECT_EQ(editor().FileIsUtf8(*editor().CurrentBuffer()), utf8);
        EXPECT_FALSE(editor().CanUndo());
        Command("mnuSaveBBFile");
        EXPECT_FALSE(current().Modified);
        EXPECT_EQ(ReadFileBytes(path), bytes);
    }
}

TEST_F(Saving, ANewDocumentIsSavedThroughTheDialogWithOneFinalLineEndAndOverAFileOnlyWhenAllowed)
{
    Command("mnuNewBBFile");
    Command("mnuSaveBBFile");  // the dialog is cancelled
    EXPECT_EQ(current().FilePath, "");

    Type("Print 1");
    const QString target = dir.file("new.bb");
    dialogs.files = {target};
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(target), "Print 1\r\n");
    EXPECT_EQ(current().FileTitle, "new.bb");
    EXPECT_EQ(window->tabs().PictureOf(current().Key), DocumentTabs::kSavedPicture);
    EXPECT_EQ(current().Key, "Doc_1") << "the key stays with the document";

    // An empty document writes just the line end.
    Command("mnuNewBBFile");
    const QString mine = dir.file("empty.bb");
    dialogs.files = {mine};
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(mine), "\r\n");

    // Save As over an existing file asks first.
    const QString theirs = dir.write("theirs.bb", "Print \"theirs\"\r\n");
    dialogs.files = {theirs};
    prompter.answers = {MsgAnswer::Cancel};
    Command("mnuSaveBBFileAS");
    EXPECT_EQ(prompter.told(), QStringList{"Question: " + app->labels.getValue("overwrite")});
    EXPECT_EQ(prompter.shown[0].buttons, MsgButtons::OkCancel);
    EXPECT_EQ(current().FilePath, mine);
    EXPECT_EQ(ReadFileBytes(theirs), "Print \"theirs\"\r\n");

    dialogs.files = {theirs};
    prompter.answers = {MsgAnswer::Ok};
    Command("mnuSaveBBFileAS");
    EXPECT_EQ(current().FilePath, theirs);
    EXPECT_EQ(ReadFileBytes(theirs), "\r\n");
}

// The Open and Save dialogs once always started in the program's folder.
TEST_F(Saving, FileDialogsStartInTheDocumentsFolderElseTheLastUsedElseHome)
{
    const QString games = dir.file("games"), other = dir.file("other");
    dir.write("games/.keep", "");
    const QString sub = dir.write("other/main.bb", "");
    Command("mnuOpenBBFile");  // cancelled
    Command("mnuNewBBFile");
    dialogs.files = {games + "/first.bb"};
    Command("mnuSaveBBFileAS");
    Command("mnuNewBBFile");
    Command("mnuOpenBBFile");
    docs().OpenDoc(sub);
    Command("mnuSaveBBFileAS");
    // A folder that went away is no place to start.
    Command("mnuNewBBFile");
    QDir(games).removeRecursively();
    Command("mnuOpenBBFile");
    EXPECT_EQ(dialogs.startFolders, (QStringList{QDir::homePath(), QDir::homePath(), games, other, QDir::homePath()}));
}

TEST_F(Saving, AFailedSaveKeepsTheFileAndTheEdits)
{
    const QString path = dir.write("locked.bb", "Print \"before\"\r\n");
    docs().OpenDoc(path);
    Type("; my work\n");
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    Command("mnuSaveBBFile");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.startsWith("Unable to save " + path)) << prompter.shown[0].text.toStdString();
    EXPECT_TRUE(prompter.shown[0].text.contains("read-only"));
    EXPECT_TRUE(prompter.shown[0].text.contains("The file on disk was left as it was"));
    EXPECT_TRUE(current().Modified);
    EXPECT_EQ(window->tabs().PictureOf(current().Key), DocumentTabs::kModifiedPicture);

    // Closing it and answering Yes: the save fails again, so nothing closes
    // (and the rest of the test needs the document).
    prompter.answers = {MsgAnswer::Yes};
    ASSERT_FALSE(docs().CloseDoc(docs().CurrentDoc()));
    ASSERT_EQ(docs().Docs().size(), 1);

    // Into a folder that was deleted meanwhile, no file is written, and the
    // message once said a file that was never there was not changed.
    const QString gone = dir.write("gone/new.bb", "");
    Command("mnuNewBBFile");
    Type("Print 2");
    QDir(dir.file("gone")).removeRecursively();
    dialogs.files = {gone};
    prompter.shown.clear();
    Command("mnuSaveBBFileAS");
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.contains("No file was written; your text is still open."))
        << prompter.shown[0].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(gone));
    EXPECT_TRUE(current().Modified);
    EXPECT_EQ(editor().Text(), "Print 2");
    docs().OpenDoc(path);

    // Once the file is writable again the same document saves.
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(path), "; my work\r\nPrint \"before\"\r\n");
    EXPECT_FALSE(current().Modified);
}

// Typing a character Windows-1252 lacks once switched the file to UTF-8 for
// good, though an undo took the character out again: the save decides.
TEST_F(Saving, AFileKeepsItsEncodingWhileItsTextFitsAndAsksOnlyWhenItDoesNot)
{
    const std::string original = "; \xE9\xE9\x80\r\n";
    const QString path = dir.write("accents.bb", original);
    docs().OpenDoc(path);
    editor().SetCaret(int(editor().LineText(1).size()), 1);
    Type(QStringLiteral("\u2713"));
    Command("mnuUndo");
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(path), original);

    // Cancel writes nothing; OK writes UTF-8, which the file then stays.
    Type(QStringLiteral("\u2713"));
    prompter.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
    Command("mnuSaveBBFile");
    QString ask = app->labels.getValue("askutf8").replace("#docname#", "accents.bb");
    EXPECT_EQ(prompter.texts(), QStringList{ask.replace("#chars#", QStringLiteral("\u2713"))});
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_TRUE(current().Modified);
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(path), "; \xC3\xA9\xC3\xA9\xE2\x82\xAC\xE2\x9C\x93\r\n");
    Command("mnuUndo");
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(path), "; \xC3\xA9\xC3\xA9\xE2\x82\xAC\r\n");
    EXPECT_EQ(prompter.shown.size(), 2u);

    // The byte-order mark stays in front: typing at the very start goes after it.
    const QString marked = dir.write("marked.bb", "\xEF\xBB\xBFGlobal a\r\n");
    docs().OpenDoc(marked);
    Type("x");
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(marked), "\xEF\xBB\xBFxGlobal a\r\n");
}

TEST_F(Saving, ABinaryOrHugeFileOpensAndComesBackUnchanged)
{
    std::string binary;
    for (int i = 0; i < 300000; ++i)
        binary += char((i * 7919) & 0xFF);
    const QString bin = dir.write("data.bb", binary);
    docs().OpenDoc(bin);
    ASSERT_EQ(current().FilePath, bin);
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(bin), binary);

    // Big enough to be searched for a long line, which it has not.
    std::string big;
    const std::string line = "Global value = CountItems(list) + 1 ; running total\r\n";
    while (big.size() < 3u * 1024 * 1024)
        big += line;
    const QString large = dir.write("large.bb", big);
    docs().OpenDoc(large);
    ASSERT_EQ(current().FilePath, large);
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(large), big);

    // One line of megabytes is asked about first; a cancel opens nothing.
    const QString oneLine = dir.write("oneline.bb", std::string(3u << 20, 'x'));
    const int open = int(docs().Docs().size());
    prompter.shown.clear();
    prompter.answers = {MsgAnswer::Cancel};
    docs().OpenDoc(oneLine);
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.shown[0].text.contains("a line of 3.0 MB")) << prompter.shown[0].text.toStdString();
    EXPECT_EQ(docs().Docs().size(), open);
    prompter.answers = {MsgAnswer::Ok};
    docs().OpenDoc(oneLine);
    ASSERT_EQ(current().FilePath, oneLine);
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(oneLine), std::string(3u << 20, 'x'));
}

}  // namespace
