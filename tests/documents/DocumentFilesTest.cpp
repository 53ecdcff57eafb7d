#include "documents/DocumentFiles.h"
#include "startup/LabelsFile.h"
#include "support/DiskFull.h"
#include "support/ProgramDir.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"
#include "support/TrapPipe.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <gtest/gtest.h>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace {

const CUILabels kLabels = ParseLabels(ShippedResource("locale.txt")).labels;

// Each way a save can fail leaves the file on disk exactly as it was.
TEST(DocumentFiles, AFailedSaveLeavesTheFileAsItWas)
{
    TempDir dir;
    const std::string original = "Print \"old\"\r\n";
    QString error;

    // A read-only file, a folder, a file whose folder went away after it was
    // opened, and a pipe, which is neither opened nor replaced.
    const QString readOnly = dir.write("readonly.bb", original);
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    QDir().mkpath(dir.file("folder.bb"));
    const QString gone = dir.write("gone/main.bb", original);
    QDir(dir.file("gone")).removeRecursively();
    const TrapPipe pipe(dir.file("pipe.bb"));
    const std::pair<QString, const char*> refused[] = {
        {readOnly, "read-only"}, {dir.file("folder.bb"), ""}, {gone, ""}, {dir.file("pipe.bb"), "a pipe"}};
    for (const auto& [path, reason] : refused) {
        error.clear();
        EXPECT_FALSE(SaveDocumentFile(kLabels, path, "new", &error)) << path.toStdString();
        EXPECT_TRUE(!error.isEmpty() && error.contains(reason)) << error.toStdString();
    }
    EXPECT_EQ(ReadFileBytes(readOnly), original);
    EXPECT_TRUE(StatusOf(dir.file("pipe.bb"))->special);
    EXPECT_FALSE(pipe.sprung());

    // A full disk: the write stops part way, for a short text as for a long
    // one (a short one would sit in a write buffer until the very end), and
    // the system's reason is given (a size limit stands in for the disk).
    // A file with a second name is written in place, and put back.
    const QString full = dir.write("full.bb", original);
    const QString linked = dir.write("linked.bb", original);
    ASSERT_EQ(::link(linked.toLocal8Bit().constData(), dir.file("second.bb").toLocal8Bit().constData()), 0);
    for (const QString& path : {full, linked}) {
        SCOPED_TRACE(path.toStdString());
        auto disk = std::make_unique<DiskFull>(original.size() + 2);
        error.clear();
        bool saved = SaveDocumentFile(kLabels, path, std::string(100, 'x'), &error);
        saved = SaveDocumentFile(kLabels, path, std::string(100000, 'x'), &error) || saved;
        disk.reset();
        EXPECT_FALSE(saved);
        EXPECT_EQ(error.toStdString(), std::strerror(EFBIG));
        EXPECT_EQ(ReadFileBytes(path), original);
    }
    EXPECT_EQ(ReadFileBytes(dir.file("second.bb")), original);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".bb.").size(), 0)
        << "no temporary file or copy is left behind";
}

// Saves as the user and group `id` (0: here, as we are), in a child process
// that drops to them as `setpriv --reuid --regid --clear-groups` would.
bool SaveAs(uid_t id, const QString& path, std::string_view bytes)
{
    QString error;
    if (id == 0)
        return SaveDocumentFile(kLabels, path, bytes, &error);
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgroups(0, nullptr) == 0 && ::setresgid(id, id, id) == 0 && ::setresuid(id, id, id) == 0;
        ::_exit(dropped && SaveDocumentFile(kLabels, path, bytes, &error) ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// A save keeps the file what it was: its other names, owner, group,
// permissions and extended attributes, whoever saves it. A file in a folder
// the user may not add to is saved too, its copy kept in the state folder.
TEST(DocumentFiles, ASaveKeepsTheFileWhatItWas)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving files to other users takes root";
    TempDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const ScopedEnv state("XDG_STATE_HOME", QFile::encodeName(dir.path()));
    struct Case {
        const char* name;
        uid_t owner;
        gid_t group;
        mode_t mode;
        bool linked;    // has a second name
        uid_t savedBy;  // 0: this process
    };
    const Case cases[] = {
        {"plain.bb", 0, 0, 04751, false, 0},
        {"linked.bb", 0, 0, 0644, true, 0},
        {"users.bb", 1000, 1001, 0664, false, 0},  // root saving a user's file
        {"shared.bb", 1000, 1001, 0666, false, 2000},
        {"shared-linked.bb", 1000, 1001, 0666, true, 2000},
        {"locked/own.bb", 2000, 2000, 0644, false, 2000},
    };
    int files = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString path = dir.write(c.name, "old");
        const QByteArray native = QFile::encodeName(path);
        ASSERT_EQ(::chown(native.constData(), c.owner, c.group), 0);
        ASSERT_EQ(::chmod(native.constData(), c.mode), 0);
        // Only where the file system keeps them.
        const bool xattr = ::setxattr(native.constData(), "user.origin", "jam", 3, 0) == 0;
        if (c.linked) {
            ASSERT_EQ(::link(native.constData(), (native + ".link").constData()), 0);
        }
        files += c.linked ? 2 : 1;
        struct stat after {};
        EXPECT_TRUE(SaveAs(c.savedBy, path, "new text"));
        ::stat(native.constData(), &after);
        EXPECT_EQ(ReadFileBytes(path), "new text");
        EXPECT_EQ(after.st_uid, c.owner);
        EXPECT_EQ(after.st_gid, c.group);
        EXPECT_EQ(after.st_mode & 07777, c.mode);
        if (c.linked) {
            EXPECT_EQ(ReadFileBytes(path + ".link"), "new text");
        }
        char value[8] = {};
        if (xattr) {
            EXPECT_EQ(::getxattr(native.constData(), "user.origin", value, sizeof value), 3);
            EXPECT_STREQ(value, "jam");
        }
    }
    QDirIterator all(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    for (; all.hasNext(); all.next())
        --files;
    EXPECT_EQ(files, 0) << "no temporary file or copy is left behind";
}

}  // namespace
