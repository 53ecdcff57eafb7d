// Recovery copies of modified documents: kept while the text is only in the
// window, gone once it is saved or given up, and offered at the next start.
#include "documents/RecoveryKeeper.h"
#include "support/AppFixture.h"
#include "support/DiskFull.h"

#include <QDir>
#include <QFile>

namespace {

class Recovery : public AppFixture {
protected:
    RecoveryKeeper& keeper() const { return window->recovery(); }
    // The copy of a document on disk now, once the timer's work is done.
    std::optional<RecoveryCopy> CopyOf(const QString& key, bool takeNow = true) const
    {
        if (takeNow)
            keeper().TakeCopies();
        keeper().Flush();
        QFile f(QDir(keeper().folder()).filePath(RecoveryFileName(key)));
        return f.open(QIODevice::ReadOnly) ? DecodeRecoveryCopy(f.readAll()) : std::nullopt;
    }
};

TEST_F(Recovery, AModifiedDocumentHasACopyUntilItIsSavedClosedOrReloaded)
{
    const QString path = dir.write("game/main.bb", "Print 1\r\n");
    docs().OpenDoc(path);
    const QString doc = current().Key;
    EXPECT_FALSE(CopyOf(doc));
    Type("; a");
    ASSERT_TRUE(CopyOf(doc));
    EXPECT_FALSE(keeper().folder().startsWith(dir.file("game"))) << "beside no file of the user's";
    Type("b");
    std::optional<RecoveryCopy> copy = CopyOf(doc);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->text, "; abPrint 1");
    EXPECT_EQ(copy->originalPath, path);
    ASSERT_TRUE(copy->base);
    EXPECT_EQ(copy->base->size, 9);

    Command("mnuSaveBBFile");
    EXPECT_FALSE(CopyOf(doc));

    Command("mnuNewBBFile");
    const QString added = current().Key;
    Type("x");
    ASSERT_TRUE(CopyOf(added));
    prompter.answers = {MsgAnswer::No};
    Command("mnuCloseBBFile");
    EXPECT_FALSE(CopyOf(added));

    // Reloaded from its file at the user's word: the text is the file's.
    Type("y");
    ASSERT_TRUE(CopyOf(doc));
    prompter.answers = {MsgAnswer::Ok};
    dir.write("game/main.bb", "Print 2\r\n");
    ASSERT_TRUE(WaitUntil([&] { return editor().Text() == "Print 2"; }, 5000));
    EXPECT_FALSE(CopyOf(doc));

    // Deleted by another program: nothing on disk holds the text any more.
    QFile::remove(path);
    ASSERT_TRUE(WaitUntil([&] { return current().Modified; }, 5000));
    EXPECT_TRUE(WaitUntil([&] { return CopyOf(doc, false).has_value(); }, 2 * RecoveryKeeper::kLongest.count()));
}

TEST_F(Recovery, WhatAProgramThatEndedKeptIsOfferedAndRestoredExactly)
{
    // Windows-1252 with LF line ends and no line end at the end.
    const QString path = dir.write("latin.bb", "Print \"d\xE9j\xE0\"\n; end");
    docs().OpenDoc(path);
    Type("; mine\n");
    const QByteArray restored = "; mine\nPrint \"d\xE9j\xE0\"\n; end";
    ASSERT_EQ(editor().FileBytes(*current().EditorState), restored);
    Command("mnuNewBBFile");
    Type("Global unsaved");
    const QString unsavedTitle = current().FileTitle;
    docs().OpenDoc(dir.write("later.bb", "Cls\r\n"));
    Type("; later");
    keeper().KeepForNextStart();

    Close();
    prompter.shown.clear();
    prompter.answers = {MsgAnswer::Yes, MsgAnswer::No, MsgAnswer::Cancel};
    Launch();
    ASSERT_EQ(prompter.shown.size(), 3u) << prompter.texts().join("|").toStdString();
    const QString first = prompter.shown[0].text;
    for (const char* part : {"latin.bb", "bytes", "3 line(s)"})
        EXPECT_TRUE(first.contains(part)) << part << " in " << first.toStdString();
    EXPECT_EQ(prompter.shown[0].buttons, MsgButtons::YesNoCancel);
    EXPECT_EQ(prompter.shown[0].captions,
              QStringList({"Restore into a tab", "Discard the copy", "Ask at the next start"}));
    EXPECT_TRUE(prompter.shown[1].text.contains(unsavedTitle)) << prompter.shown[1].text.toStdString();
    EXPECT_TRUE(prompter.shown[1].text.contains("never saved")) << prompter.shown[1].text.toStdString();

    ASSERT_EQ(docs().Docs().size(), 1);
    EXPECT_EQ(current().FilePath, path);
    EXPECT_TRUE(current().Modified);
    EXPECT_EQ(window->tabs().PictureOf(current().Key), DocumentTabs::kModifiedPicture);
    Type("\n");  // in a file of LF line ends
    // Its copy now belongs to this program, so a crash now loses nothing.
    EXPECT_TRUE(CopyOf(current().Key, false));
    Command("mnuSaveBBFile");
    EXPECT_EQ(prompter.shown.size(), 3u) << "the file was not changed since: no question";
    EXPECT_EQ(QByteArray::fromStdString(ReadFileBytes(path)), "\n" + restored);

    // The one kept is offered again, and only it.
    Close();
    prompter.shown.clear();
    prompter.answers = {MsgAnswer::No};
    Launch();
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_TRUE(prompter.texts().join("").contains("later.bb"));
    Restart();
    EXPECT_TRUE(prompter.shown.size() == 1u);
    EXPECT_EQ(QDir(dir.file("recovery")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1)
        << "only the running program's folder is left";
}

// Copies that cannot be written are reported in the status bar and tried
// again until they are; a copy left by a program that ended goes only once
// the text restored from it has a copy of its own.
TEST_F(Recovery, CopiesThatCannotBeWrittenAreReportedAndTriedAgain)
{
    QString left;
    {
        RecoverySession ended(dir.file("recovery"));
        RecoveryCopy copy{dir.file("gone.bb"), "gone.bb", QDateTime::currentDateTimeUtc(), {}, "Print 1", std::nullopt};
        ASSERT_TRUE(WriteRecoveryFile(ended.folder(), RecoveryFileName("Doc_9"), copy, nullptr));
        left = QDir(ended.folder()).filePath(RecoveryFileName("Doc_9"));
    }
    auto full = std::make_unique<DiskFull>();
    prompter.answers = {MsgAnswer::Yes};
    keeper().OfferLeftCopies(app->labels, prompter);
    Pump();
    ASSERT_EQ(current().FileTitle, "gone.bb");
    EXPECT_TRUE(QFile::exists(left));
    const QString failing = app->labels.getValue("recoveryfailing").section('(', 0, 0);
    EXPECT_TRUE(window->InfoPanel().startsWith(failing)) << window->InfoPanel().toStdString();

    full.reset();
    EXPECT_TRUE(WaitUntil([&] { return CopyOf(current().Key, false).has_value(); }, 2 * RecoveryKeeper::kLongest.count()));
    EXPECT_TRUE(WaitUntil([&] { return window->InfoPanel() == app->labels.getValue("recoveryagain"); }, 2000));
}

}  // namespace
