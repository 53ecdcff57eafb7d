// Reading sources on a thread of their own, the files they name read ahead.
#include "platform/SourceFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

// Each file asked for is that file, also while the reading thread races ahead
// along a chain of files that each name the next.
TEST(SourceFileTest, AFileReadAheadIsTheOneAskedFor)
{
    TempDir dir;
    constexpr int kFiles = 1000;
    for (int i = 0; i < kFiles; ++i)
        dir.write(QStringLiteral("c%1.bb").arg(i), "file " + std::to_string(i) + "\n");
    for (int round = 0; round < 3; ++round) {
        SourceReader reader([](const QString& path) { return ReadSourceFile(path, kMaxIncludeBytes); },
                            std::chrono::seconds(5));
        reader.SetFollow([&](const QString& path, const std::string&) {
            const int next = path.section('c', -1).section('.', 0, 0).toInt() + 1;
            return next < kFiles ? std::vector<QString>{dir.file(QStringLiteral("c%1.bb").arg(next))}
                                 : std::vector<QString>{};
        });
        for (int i = 0; i < kFiles; ++i)
            ASSERT_EQ(reader.Get(dir.file(QStringLiteral("c%1.bb").arg(i))).bytes, "file " + std::to_string(i) + "\n")
                << "round " << round;
    }
}
