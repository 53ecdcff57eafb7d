// The program model as the window feeds it: open documents' unsaved texts,
// the disk's for the rest, edits as they come, files changed on disk.
#include "model/ProgramHost.h"

#include "support/TempDir.h"
#include "support/Wait.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <utility>

#include <sys/stat.h>

namespace {

class Host : public ::testing::Test {
protected:
    void Open(const QString& path, const QByteArray& text)
    {
        open[path] = text;
        host.DocumentOpened(path);
    }
    // "file:row:col" of the declaration of the name at a place of `path`.
    std::string Definition(const QString& path, std::uint32_t row, std::uint32_t col)
    {
        const auto place = host.ProgramOf(path).Definition(ProgramHost::KeyOf(path), row, col);
        return place ? host.PathOf(place->file).section('/', -1).toStdString() + ":" + std::to_string(place->row) +
                           ":" + std::to_string(place->col)
                     : "none";
    }

    TempDir dir;
    std::map<QString, QByteArray> open;
    ProgramHost host{[this](const QString& path) { return open.at(path); }, dir.file("prefs.ini")};
};

TEST_F(Host, AnIncludeIsCheckedWithItsMainFileFromItsEditsAndTheDisk)
{
    const QString main = dir.write("Game/Main.bb", "Include \"Lib\\Shapes.bb\"\r\nGlobal score\r\n");
    const QString shapes = dir.write("Game/lib/shapes.bb", "Function Area(w, h)\r\n\tReturn w * h + score\r\nEnd Function\r\n");
    Open(shapes, "Function Area(w, h)\r\n\tReturn w * h + score\r\nEnd Function\r\n");
    // Found on disk as it is spelt there.
    EXPECT_EQ(host.MainFileOf(shapes), main);
    EXPECT_EQ(Definition(shapes, 1, 17), "Main.bb:1:7");
    EXPECT_EQ(host.FilesOf(shapes), QStringList({main, shapes}));
    // Only what is not open is read from the disk, and watched there.
    EXPECT_EQ(host.WatchedFiles(), QStringList({main}));

    // An edit in the tab, not yet saved, is what the model reads.
    QSignalSpy changed(&host, &ProgramHost::ProgramChanged);
    open[shapes] = "Function Area(w, h)\r\n\tReturn w * h + scores\r\nEnd Function\r\n";
    host.DocumentEdited(shapes, 1, 1, "\tReturn w * h + scores\r\n", 1);
    EXPECT_EQ(changed.size(), 1);
    EXPECT_EQ(Definition(shapes, 1, 17), "shapes.bb:1:16");  // used without declaration: a local

    // The main file changed on disk: read again, without a keystroke.
    dir.write("Game/Main.bb", "Include \"Lib\\Shapes.bb\"\r\nGlobal score, scores\r\n");
    ASSERT_TRUE(WaitUntil([&] { return Definition(shapes, 1, 17) == "Main.bb:1:14"; }, 5000));
    EXPECT_EQ(host.LineText(ProgramHost::KeyOf(main), 1), "Global score, scores");

    // Closed, the document is the disk's again.
    open.erase(shapes);
    host.DocumentClosed(shapes);
    EXPECT_EQ(Definition(shapes, 1, 17), "Main.bb:1:7");
}

// Edits the editor still holds are handed on before the host takes the
// editor's whole text, whatever takes it: given the text first, the program
// would be given the same edits again on top of it.
TEST_F(Host, EditsStillWaitingAreHandedOnBeforeTheEditorsTextIsTaken)
{
    const QString main = dir.write("g/Main.bb", "Global a\r\n");
    Open(main, "Global a\r\n");
    ASSERT_TRUE(host.ProgramOf(main).Diagnostics().empty());
    open[main] = "Global b\r\nGlobal a\r\n";
    bool waiting = true;
    host.SetEditsWaiting([&] {
        if (std::exchange(waiting, false))
            host.DocumentEdited(main, 0, 0, "Global b\r\n", 1);
    });
    host.DocumentOpened(main);
    EXPECT_FALSE(waiting);
    EXPECT_TRUE(host.ProgramOf(main).Diagnostics().empty());
}

// Closed, a document that no open document shares a program with is not
// read from the disk again: its program goes (a document of 100 MB was
// parsed once more as it closed).
TEST_F(Host, ADocumentClosedAloneIsNotReadAgain)
{
    const QString main = dir.write("g/Main.bb", "Global score\r\n");
    std::atomic<int> reads{0};
    host.SetDiskReader(
        [&](const QString& path) {
            reads += ProgramHost::KeyOf(path) == ProgramHost::KeyOf(main);
            return ReadSourceFile(path, kMaxIncludeBytes);
        },
        ProgramHost::kReadDeadline);
    Open(main, "Global score\r\n");
    EXPECT_EQ(host.FilesOf(main), QStringList({main}));
    open.erase(main);
    host.DocumentClosed(main);
    EXPECT_EQ(reads, 0);
}

// An include that does not answer (a device, a hung network share) holds
// up neither the window nor its checks: it is missing, and says why, until
// it answers. (One over the size limit says why as well: the check
// command's test.)
TEST_F(Host, AnIncludeThatDoesNotAnswerSaysWhyAndHoldsUpNothing)
{
    const QString main = dir.write("g/Main.bb", "Include \"Slow.bb\"\r\nSlow\r\n");
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("g/Slow.bb")).constData(), 0600), 0);
    // A FIFO read as a device that answers only once written to.
    host.SetDiskReader(
        [](const QString& path) {
            QFile fifo(path);
            if (!path.endsWith(QLatin1String("Slow.bb")) || !fifo.open(QIODevice::ReadOnly))
                return ReadSourceFile(path, kMaxIncludeBytes);
            return SourceText{fifo.readAll().toStdString()};
        },
        std::chrono::milliseconds(200));
    Open(main, "Include \"Slow.bb\"\r\nSlow\r\n");
    QElapsedTimer held;
    held.start();
    const auto messages = [&] {
        QStringList out;
        for (const lang::Diagnostic& d : host.ProgramOf(main).Diagnostics())
            out << QString::fromStdString(d.message);
        return out;
    };
    EXPECT_EQ(messages(), QStringList({"Unable to open include file (reading it gave no answer in time)",
                                       "Function 'slow' not found"}));
    EXPECT_LT(held.elapsed(), 2000);

    // It answers late: read then, without a keystroke.
    QSignalSpy changed(&host, &ProgramHost::ProgramChanged);
    QFile writer(dir.file("g/Slow.bb"));
    ASSERT_TRUE(writer.open(QIODevice::WriteOnly));
    writer.write("Function Slow()\r\nEnd Function\r\n");
    writer.close();
    ASSERT_TRUE(WaitUntil([&] { return changed.size() > 0; }, 5000));
    EXPECT_EQ(messages(), QStringList());
}

}  // namespace
