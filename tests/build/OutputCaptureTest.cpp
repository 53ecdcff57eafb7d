#include "build/OutputCapture.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

// A program printing fast once filled 1.68 GB of output.txt in 88 s.
TEST(OutputCapture, TheFileKeepsItsLastMegabytesFromALineStartAndTheWindowTheLatestOutput)
{
    TempDir dir;
    const QString path = dir.write("output.txt", "an earlier build's output\r\n");
    std::string written;
    for (int i = 0; written.size() < 20u << 20; ++i)
        written += "line " + std::to_string(i) + " of a program that prints a great deal\r\n";

    OutputCapture capture(path);
    ASSERT_TRUE(capture.IsValid());
    const int writer = ::dup(capture.WriteEnd());
    capture.Start();
    EXPECT_EQ(ReadFileBytes(path), "");
    ASSERT_EQ(::write(writer, written.data(), written.size()), ssize_t(written.size()));
    ::close(writer);
    capture.Finish();

    EXPECT_TRUE(capture.FileWritten());
    const std::string file = ReadFileBytes(path);
    EXPECT_LE(file.size(), std::size_t(OutputCapture::kFileLimit));
    EXPECT_GE(file.size(), std::size_t(OutputCapture::kFileKept) - (64 << 10));
    EXPECT_EQ(written.substr(written.size() - file.size()), file);
    EXPECT_EQ(file.substr(0, 5), "line ");

    // Taken in pieces, the window gets the latest output whole, and is told
    // how much came before it.
    qint64 skipped = 0;
    std::string taken;
    for (OutputCapture::Piece piece = capture.Take(1 << 20); !piece.bytes.isEmpty(); piece = capture.Take(1 << 20)) {
        skipped += piece.skipped;
        taken += piece.bytes.toStdString();
    }
    EXPECT_LE(taken.size(), std::size_t(OutputCapture::kHeldLimit));
    EXPECT_EQ(std::size_t(skipped) + taken.size(), written.size());
    EXPECT_EQ(written.substr(std::size_t(skipped)), taken);
}
