#include "platform/PrivateFolder.h"

#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The shared temporary folder is where another user can be first with the
// folder's name, as the runtime folder can be set wrong by su, sudo or ssh.
TEST(PrivateFolder, SocketsGoOnlyWhereNobodyElseCanEnter)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a folder to another user takes root";
    constexpr uid_t kOtherUser = 4242;
    TempDir dir;
    const QString runtime = dir.file("run"), tmp = dir.file("tmp"), real = dir.file("real");
    const QString own = tmp + "/ovrel-" + QString::number(::geteuid());
    const auto folder = [](const QString& path, mode_t mode, uid_t owner = ::geteuid()) {
        QDir().mkpath(path);
        ASSERT_EQ(::chmod(QFile::encodeName(path), mode), 0);
        ASSERT_EQ(::chown(QFile::encodeName(path), owner, gid_t(-1)), 0);
    };
    const struct {
        const char* what;
        std::function<void()> make;
        bool runtimeSet;
        QString chosen;  // "" when none may be used
    } rows[] = {
        {"a private runtime folder", [&] { folder(runtime, 0700); }, true, runtime},
        {"no runtime folder: the user's own is made", [] {}, false, own},
        {"a runtime folder open to others", [&] { folder(runtime, 0711); }, true, own},
        {"another user's runtime folder", [&] { folder(runtime, 0700, kOtherUser); }, true, own},
        {"a runtime folder through a link", [&] { folder(real, 0700), QFile::link(real, runtime); }, true, own},
        {"the user's own, left from before", [&] { folder(own, 0700); }, false, own},
        {"another user made it first", [&] { folder(own, 0700, kOtherUser); }, false, ""},
        {"it is open to others", [&] { folder(own, 0777); }, false, ""},
        {"it is a link to a private folder", [&] { folder(real, 0700), QFile::link(real, own); }, false, ""},
        {"it is a file", [&] { folder(tmp, 01777), QFile(own).open(QIODevice::WriteOnly); }, false, ""},
    };
    for (const auto& row : rows) {
        QFile::remove(runtime);
        QFile::remove(own);
        for (const QString& path : {runtime, tmp, real})
            QDir(path).removeRecursively();
        folder(tmp, 01777);
        row.make();
        const ScopedEnv xdg("XDG_RUNTIME_DIR", row.runtimeSet ? std::optional(runtime.toLocal8Bit()) : std::nullopt);
        const ScopedEnv temporary("TMPDIR", tmp.toLocal8Bit());
        QString why;
        EXPECT_EQ(privatefolder::SocketFolder(&why), row.chosen) << row.what;
        EXPECT_EQ(why.isEmpty(), !row.chosen.isEmpty()) << row.what << ": " << why.toStdString();
        struct stat st {};
        if (row.chosen == own && ::lstat(QFile::encodeName(own), &st) == 0) {
            EXPECT_EQ(st.st_mode & 0777, 0700u) << row.what;
        }
    }
}

}  // namespace
