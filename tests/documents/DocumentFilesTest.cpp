#include "documents/DocumentFiles.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace {

// Each way a save can fail leaves the file on disk exactly as it was.
TEST(DocumentFiles, AFailedSaveLeavesTheFileAsItWas)
{
    TempDir dir;
    const std::string original = "Print \"old\"\r\n";
    QString error;

    const QString readOnly = dir.write("readonly.bb", original);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    EXPECT_FALSE(SaveDocumentFile(readOnly, "new", &error));
    EXPECT_TRUE(error.contains("read-only")) << error.toStdString();
    EXPECT_EQ(ReadFileBytes(readOnly), original);

    QDir().mkpath(dir.file("folder.bb"));
    error.clear();
    EXPECT_FALSE(SaveDocumentFile(dir.file("folder.bb"), "new", &error));
    EXPECT_FALSE(error.isEmpty());

    // The folder of the file went away after it was opened.
    const QString gone = dir.write("gone/main.bb", original);
    QDir(dir.file("gone")).removeRecursively();
    error.clear();
    EXPECT_FALSE(SaveDocumentFile(gone, "new", &error));
    EXPECT_FALSE(error.isEmpty());

    // A full disk: the write stops part way, for a short text as for a long
    // one (a short one would sit in a write buffer until the very end), and
    // the system's reason is given (a size limit stands in for the disk).
    const QString full = dir.write("full.bb", original);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 8;
    setrlimit(RLIMIT_FSIZE, &small);
    error.clear();
    bool saved = SaveDocumentFile(full, std::string(100, 'x'), &error);
    saved = SaveDocumentFile(full, std::string(100000, 'x'), &error) || saved;
    setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_FALSE(saved);
    EXPECT_EQ(error.toStdString(), std::strerror(EFBIG));
    EXPECT_EQ(ReadFileBytes(full), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter("full").size(), 1)
        << "no temporary file is left behind";
}

TEST(DocumentFiles, ASaveKeepsTheFilesPermissions)
{
    TempDir dir;
    const QString path = dir.write("script.bb", "old");
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup;
    QFile::setPermissions(path, perms);
    QString error;
    ASSERT_TRUE(SaveDocumentFile(path, "new", &error)) << error.toStdString();
    EXPECT_EQ(ReadFileBytes(path), "new");
    EXPECT_EQ(QFile::permissions(path) & 0x7077, perms & 0x7077);
}

}  // namespace
