#include "documents/RecoveryFolders.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

RecoveryCopy Copy(const QString& path, const QByteArray& text, FileForm form = {})
{
    return {path, QStringLiteral("main.bb"), QDateTime::fromMSecsSinceEpoch(1700000000123, Qt::UTC), form,
            text, std::nullopt};
}

TEST(RecoveryCopy, ComesBackAsItWasWritten)
{
    RecoveryCopy based = Copy("/games/main.bb", "Print 1");
    based.base = FileStamp{42, 1700000000999000000, 1700000000999000001, 2049, 1234567};
    RecoveryCopy unsaved = Copy("", "");
    unsaved.title = QStringLiteral("newfile_3");
    const RecoveryCopy rows[] = {
        based,
        unsaved,
        // Names a path may hold: a line end, an "=", a "%", letters beyond ASCII.
        Copy(QString::fromUtf8("/home/j\xC3\xB6rg/a=b %41\nc/main.bb"), "x"),
        // Text holding what could end a header: empty lines, NUL, lone CRs.
        Copy("/a.bb", QByteArray("\n\nlength=1\n\n\0\r\r\n", 15), {true, true, "\n", {}}),
        Copy("/a.bb", "Print \"d\xC3\xA9j\xC3\xA0\"", {false, false, "", {}}),
        // A UTF-8 file that began with a byte-order mark writes it back.
        Copy("/a.bb", "Print \"\xE2\x9C\x93\"", {true, false, "\r\n", "\xEF\xBB\xBF"}),
    };
    for (const RecoveryCopy& row : rows) {
        const std::optional<RecoveryCopy> back = DecodeRecoveryCopy(EncodeRecoveryCopy(row));
        ASSERT_TRUE(back) << row.originalPath.toStdString();
        EXPECT_EQ(*back, row) << row.originalPath.toStdString();
    }
}

TEST(RecoveryCopy, BytesThatAreNotAWholeCopyAreRefused)
{
    const QByteArray good = EncodeRecoveryCopy(Copy("/a.bb", "Print 1"));
    ASSERT_TRUE(DecodeRecoveryCopy(good));
    const auto replaced = [&](const char* from, const char* to) { return QByteArray(good).replace(from, to); };
    const QByteArray rows[] = {
        {},
        good.chopped(1),  // cut short
        good + "x",
        replaced("copy 1", "copy 2"),  // a later version's
        replaced("encoding=windows-1252", "encoding=latin-1"),
        replaced("line-ends=crlf\n", ""),
        replaced("final-line-end=crlf", "final-line-end=cr"),
        replaced("length=7", "length=seven"),
        replaced("length=7", "length=-7"),
        replaced("taken=", "taken=yesterday"),
        replaced("\n\n", "\n"),
        replaced("length=7\n", "length=7\nbase=12 1 2 3\n"),
        replaced("length=7\n", "length=7\nbase=12 1 2 3 x\n"),
        replaced("length=7\n", "length=7\nnot a header line\n"),
    };
    for (const QByteArray& row : rows)
        EXPECT_FALSE(DecodeRecoveryCopy(row)) << row.toStdString();
}

// A restored document is saved over its file without a question only when
// nothing else wrote the file since its text was taken.
TEST(RecoveryCopy, ARestoredDocumentAsksBeforeOverwritingAFileChangedSince)
{
    TempDir dir;
    const QString path = dir.write("main.bb", "Print 1\r\n");
    const QFileInfo info(path);
    RecoveryCopy copy = Copy(path, "Print 2");
    copy.base = StatusOf(path)->stamp;

    struct Row {
        const char* what;
        std::function<void()> meanwhile;
        DiskChange expected;
    };
    const Row rows[] = {
        {"untouched", [] {}, DiskChange::None},
        {"rewritten", [&] { dir.write("main.bb", "Print 3 and more\r\n"); }, DiskChange::Changed},
        {"same size, time set back", [&] {
             dir.write("main.bb", "Print 4\r\n");
             QFile f(path);
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             ASSERT_TRUE(f.setFileTime(info.lastModified(), QFileDevice::FileModificationTime));
         }, DiskChange::Changed},
        {"deleted", [&] { QFile::remove(path); }, DiskChange::Missing},
    };
    for (const Row& row : rows) {
        row.meanwhile();
        DiskStamp stamp = RestoredDiskStamp(copy);
        EXPECT_EQ(CheckDisk(path, stamp), row.expected) << row.what;
    }
    copy.originalPath.clear();
    EXPECT_FALSE(RestoredDiskStamp(copy).exists);
}

QStringList Files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

// Folders of running programs are left alone; those of programs that ended
// are offered once, and go when nothing is left in them.
TEST(RecoveryFolders, OnlyTheCopiesOfProgramsThatEndedAreOffered)
{
    TempDir dir;
    const QString root = dir.file("recovery");
    QString ended, empty;
    {
        RecoverySession running(root);
        ASSERT_FALSE(running.folder().isEmpty());
        EXPECT_TRUE(WriteRecoveryFile(running.folder(), RecoveryFileName("Doc_1"), Copy("/a.bb", "A"), nullptr));
        EXPECT_TRUE(LeftCopies(root).copies().empty());
        RecoverySession another(root);
        EXPECT_NE(another.folder(), running.folder());
        ended = running.folder();
        empty = another.folder();
    }
    EXPECT_TRUE(QFileInfo(ended).isDir());
    EXPECT_FALSE(QFileInfo::exists(empty));
    // One that cannot be read (cut short) stays for a version that can.
    dir.write(QDir(dir.path()).relativeFilePath(ended) + "/Doc_2.recovery", "Ovrel recovery copy 1\n");
    {
        const LeftCopies left(root);
        ASSERT_EQ(left.copies().size(), 1u);
        EXPECT_EQ(left.copies()[0].copy, Copy("/a.bb", "A"));
        EXPECT_TRUE(LeftCopies(root).copies().empty()) << "offered by two starts at once";
        QFile::remove(left.copies()[0].file);
    }
    EXPECT_EQ(Files(ended), QStringList({"Doc_2.recovery", "lock"}));
    QFile::remove(ended + "/Doc_2.recovery");
    { const LeftCopies last(root); }
    EXPECT_TRUE(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

// Copies hold the user's text: a recovery folder planted by someone else is
// neither written into nor read from, and a link planted inside one is never
// written through. (A folder of another user: the private folders' table.)
TEST(RecoveryFolders, AFolderOthersCouldReachIsNotTrusted)
{
    struct Row {
        const char* what;
        std::function<bool(const QString& root, const QString& theirs)> plant;
    };
    const Row rows[] = {
        {"a link to another's folder", [](const QString& root, const QString& theirs) { return QFile::link(theirs, root); }},
        {"a folder open to others",
         [](const QString& root, const QString&) {
             return QDir().mkpath(root) && ::chmod(QFile::encodeName(root).constData(), 0777) == 0;
         }},
    };
    for (const Row& row : rows) {
        TempDir dir;
        const QString root = dir.file("recovery"), theirs = dir.file("theirs");
        QDir().mkpath(theirs);
        ::chmod(QFile::encodeName(theirs).constData(), 0755);
        QString ended;  // what a program that ended left, found in the planted folder
        {
            RecoverySession session(dir.file("kept"));
            ASSERT_TRUE(WriteRecoveryFile(session.folder(), RecoveryFileName("Doc_1"), Copy("/a.bb", "A"), nullptr));
            ended = session.folder();
        }
        ASSERT_TRUE(row.plant(root, theirs)) << row.what;
        ASSERT_TRUE(QDir().rename(ended, QDir(root).filePath("ended")));
        RecoverySession session(root);
        EXPECT_TRUE(session.folder().isEmpty()) << row.what;
        EXPECT_FALSE(session.why().isEmpty()) << row.what;
        EXPECT_TRUE(LeftCopies(root).copies().empty()) << row.what;
        EXPECT_EQ(QDir(root).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList({"ended"})) << row.what;
        EXPECT_TRUE(QFileInfo(theirs).permissions() & QFileDevice::ReadOther) << row.what;
    }

    TempDir dir;
    const QString victim = dir.write("victim", "keep");
    QDir().mkpath(dir.file("session"));
    ASSERT_TRUE(QFile::link(victim, dir.file("session/Doc_1.recovery.tmp")));
    EXPECT_TRUE(WriteRecoveryFile(dir.file("session"), RecoveryFileName("Doc_1"), Copy("/a.bb", "A"), nullptr));
    EXPECT_EQ(dir.read("victim"), "keep");
    EXPECT_EQ(DecodeRecoveryCopy(QByteArray::fromStdString(dir.read("session/Doc_1.recovery")))->text, "A");
}

TEST(RecoveryFolders, TheWriterKeepsOnlyTheLastStateOfEachFile)
{
    TempDir dir;
    const QString folder = dir.file("session");
    QDir().mkpath(folder);
    {
        RecoveryWriter writer(folder);
        for (int i = 0; i < 50; ++i) {
            writer.Write("Doc_1.recovery", Copy("/a.bb", QByteArray::number(i)));
            writer.Write("Doc_2.recovery", Copy("/b.bb", "B"));
            writer.Remove("Doc_2.recovery");
        }
        writer.Flush();
        EXPECT_EQ(Files(folder), QStringList({"Doc_1.recovery"}));
        EXPECT_EQ(DecodeRecoveryCopy(QByteArray::fromStdString(dir.read("session/Doc_1.recovery")))->text, "49");
        writer.Write("Doc_3.recovery", Copy("/c.bb", "C"));
    }
    EXPECT_TRUE(dir.exists("session/Doc_3.recovery")) << "asked for before the writer went";
}

}  // namespace
