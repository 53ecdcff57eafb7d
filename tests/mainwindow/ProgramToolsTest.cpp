// Rename, find and replace in the program and go to symbol on the real main
// window: a program of a main file and two included files, some open as
// documents and some only on disk.
#include "navigation/ChangePreview.h"
#include "model/ProgramHost.h"
#include "navigation/SymbolBox.h"
#include "editing/DialogFindInProgram.h"
#include "editing/ProgramSearchPane.h"
#include "editing/ProgramTools.h"
#include "mainwindow/BottomPanel.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <unistd.h>

namespace {

const char* const kMain =
    "Include \"lib\\player.bb\"\r\n"             // 1
    "Include \"lib\\world.bb\"\r\n"              // 2
    "Global score% = 0 ; score\r\n"              // 3
    "AddPoints 5\r\n"                            // 4
    "Print \"score: \" + score\r\n";             // 5
const char* const kPlayer =
    "Function AddPoints(n)\r\n"                  // 1
    "\tscore = score + n\r\n"                    // 2
    "End Function\r\n";                          // 3
const char* const kWorld =
    "Type Thing\r\n"                             // 1
    "\tField score\r\n"                          // 2
    "End Type\r\n"                               // 3
    "Function ResetScore()\r\n"                  // 4
    "\tscore% = 0\r\n"                           // 5
    "End Function\r\n";                          // 6

class ProgramTools : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_TRUE(Activate());
        main = dir.write("game/main.bb", kMain);
        player = dir.write("game/lib/player.bb", kPlayer);
        world = dir.write("game/lib/world.bb", kWorld);
        docs().OpenDoc(player);
        docs().OpenDoc(main);
    }
    CDoc& Doc(const char* title) const
    {
        for (const CDocPtr& d : docs().Docs())
            if (d->FileTitle == QLatin1String(title))
                return *d;
        throw std::runtime_error(std::string("no document ") + title);
    }
    QByteArray Text(const char* title) const { return editor().BufferText(*Doc(title).EditorState); }
    // Presses F2 with the caret at a place of main.bb and runs `steps` on the preview.
    void Rename(int line, int column, std::function<void(ChangePreview&)> steps)
    {
        docs().ShowDoc(Doc("main.bb"));
        editor().SetCaret(column, line);
        OnModal<ChangePreview>(std::move(steps));
        Key(Qt::Key_F2);
        Pump();
    }

    QString main, player, world;
};

// The global is renamed where it is used, in the open documents as one undo
// step each and in the included file that is not open as Save writes it; the
// field of the same name and the words in strings and comments stay.
TEST_F(ProgramTools, RenameChangesOpenDocumentsAndFilesAndUndoesInEachDocument)
{
    Rename(3, 9, [](ChangePreview& preview) {
        ASSERT_TRUE(preview.NameField());
        EXPECT_EQ(preview.NameField()->text(), "score");
        EXPECT_FALSE(preview.ConfirmButton()->isEnabled()) << "the same name renames nothing";
        preview.NameField()->setText("Print");
        EXPECT_EQ(preview.Status(),
                  "Cannot rename global 'score' to \"Print\": a built-in command or userlib function has that name.");
        EXPECT_FALSE(preview.ConfirmButton()->isEnabled());
        preview.NameField()->setText("points");
        EXPECT_EQ(preview.Status(), "5 place(s) in 3 file(s)");
        EXPECT_EQ(preview.Row(0), (QStringList{"main.bb", "3", "Global score% = 0 ; score", "Global points% = 0 ; score"}));
        EXPECT_EQ(preview.Row(4), (QStringList{"world.bb", "5", "score% = 0", "points% = 0"}));
        preview.ConfirmButton()->click();
    });
    EXPECT_EQ(Text("main.bb"), "Include \"lib\\player.bb\"\r\nInclude \"lib\\world.bb\"\r\nGlobal points% = 0 ; score\r\n"
                                "AddPoints 5\r\nPrint \"score: \" + points");
    EXPECT_EQ(Text("player.bb"), "Function AddPoints(n)\r\n\tpoints = points + n\r\nEnd Function");
    EXPECT_EQ(dir.read("game/lib/world.bb"),
              "Type Thing\r\n\tField score\r\nEnd Type\r\nFunction ResetScore()\r\n\tpoints% = 0\r\nEnd Function\r\n");
    EXPECT_EQ(dir.read("game/main.bb"), kMain) << "open documents are not saved";
    EXPECT_TRUE(Doc("main.bb").Modified && Doc("player.bb").Modified);
    EXPECT_EQ(Where(), "main.bb:3:13") << "the caret stays with the name";
    EXPECT_TRUE(prompter.texts().join("").contains(QDir::toNativeSeparators(world))) << "the file written is named";

    Command("mnuUndo");
    EXPECT_EQ(Text("main.bb").toStdString() + "\r\n", kMain);
    docs().ShowDoc(Doc("player.bb"));
    Command("mnuUndo");
    EXPECT_EQ(Text("player.bb").toStdString() + "\r\n", kPlayer);
}

// One file that cannot be written keeps every file as it was, and the user
// is told which. A link that leads out of the program's folder is written
// only once the user agrees, and the summary names the file written, not the
// link.
TEST_F(ProgramTools, ARenameWritesNoFileThatCannotBeWrittenOrIsElsewhereUnlessAgreed)
{
    docs().CloseDoc(&Doc("player.bb"));
    QFile::setPermissions(world, QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    const auto rename = [this](const char* name = "points") {
        Rename(3, 9, [name](ChangePreview& preview) {
            preview.NameField()->setText(name);
            preview.ConfirmButton()->click();
        });
    };
    rename();
    ASSERT_EQ(prompter.told().size(), 1);
    EXPECT_TRUE(prompter.told()[0].startsWith("Exclamation: Nothing was changed")) << prompter.told()[0].toStdString();
    EXPECT_TRUE(prompter.told()[0].contains(QDir::toNativeSeparators(world) + ": The file is read-only."));
    EXPECT_FALSE(prompter.told()[0].contains("player.bb"));
    EXPECT_EQ(dir.read("game/lib/world.bb"), kWorld);
    EXPECT_EQ(dir.read("game/lib/player.bb"), kPlayer);
    EXPECT_EQ(Text("main.bb").toStdString() + "\r\n", kMain);
    EXPECT_FALSE(Doc("main.bb").Modified);

    QFile::setPermissions(world, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    const QString real = dir.write("shared/player.bb", kPlayer);
    QFile::remove(player);
    ASSERT_TRUE(QFile::link(real, player));
    prompter.shown.clear();
    prompter.answers = {MsgAnswer::Cancel};
    ASSERT_TRUE(Activate());
    rename();
    ASSERT_EQ(prompter.told().size(), 1);
    EXPECT_TRUE(prompter.told()[0].startsWith("Question: ") && prompter.told()[0].contains(QDir::toNativeSeparators(real)))
        << prompter.told()[0].toStdString();
    EXPECT_FALSE(prompter.told()[0].contains("world.bb")) << "a file inside the folder is not asked about";
    EXPECT_EQ(dir.read("shared/player.bb"), kPlayer);
    EXPECT_EQ(dir.read("game/lib/world.bb"), kWorld);

    prompter.shown.clear();
    prompter.answers = {MsgAnswer::Ok};
    ASSERT_TRUE(Activate());
    rename();
    EXPECT_EQ(dir.read("shared/player.bb"), "Function AddPoints(n)\r\n\tpoints = points + n\r\nEnd Function\r\n");
    const QString summary = prompter.texts().last();
    EXPECT_TRUE(summary.contains(QDir::toNativeSeparators(real)) && !summary.contains(QDir::toNativeSeparators(player)))
        << summary.toStdString();

    // A file of the program open under another name is that document: its
    // unsaved text is renamed in its tab, and nothing is written behind it.
    const QString alias = dir.file("game/lib/alias.bb");
    ASSERT_EQ(::link(QFile::encodeName(world).constData(), QFile::encodeName(alias).constData()), 0);
    const std::string written = dir.read("game/lib/world.bb");
    docs().OpenDoc(alias);
    editor().SetCaret(0, 1);
    Type("; mine\n");
    prompter.answers = {MsgAnswer::Ok};
    ASSERT_TRUE(Activate());
    rename("tally");
    EXPECT_EQ(dir.read("game/lib/world.bb"), written);
    EXPECT_TRUE(Text("alias.bb").startsWith("; mine"));
    EXPECT_TRUE(Text("alias.bb").contains("\ttally% = 0")) << Text("alias.bb").toStdString();
}

// The unsaved text of an open document is searched with the files on disk;
// the matches are listed by file, a click goes there, and a replace changes
// every one after its preview.
TEST_F(ProgramTools, FindInProgramListsMatchesByFileAndReplacesThem)
{
    editor().SetCaret(int(editor().LineText(5).size()), 5);
    Type("\nscore = 1");
    editor().SetCaret(2, 6);
    Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    DialogFindInProgram& dialog = window->programTools().findDialog();
    ASSERT_TRUE(dialog.isVisible());
    EXPECT_EQ(dialog.What(), "score") << "the word at the caret";
    dialog.wholeWord->setChecked(true);
    dialog.cmdFindAll->click();
    const ProgramSearchPane& pane = window->programTools().searchPane();
    EXPECT_EQ(window->bottomPanel().CurrentTab(), BottomPanel::SearchTab);
    EXPECT_EQ(pane.Title(), "9 match(es) of score in 3 file(s)");
    ASSERT_EQ(pane.FileCount(), 3);
    EXPECT_EQ(pane.FileText(0), "main.bb (5)");
    EXPECT_EQ(pane.MatchText(0, 4), "6: score = 1");
    EXPECT_EQ(pane.FileText(2), "world.bb (2)");
    EXPECT_EQ(pane.MatchText(2, 0), "2: Field score");

    // A click on the match goes there.
    auto* view = Child<QTreeView>(window->programTools().searchPane(), "ProgramSearchList");
    const QModelIndex match = view->model()->index(1, 0, view->model()->index(2, 0));
    view->scrollTo(match);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(match).center());
    EXPECT_EQ(Where(), "world.bb:5:6");
    EXPECT_EQ(editor().SelectedText(), "score");
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Where(), "main.bb:6:2");
    docs().CloseDoc(&Doc("world.bb"));

    Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    dialog.searchBox->setText("score");
    dialog.matchCase->setChecked(false);
    dialog.replaceBox->setText("tally");
    OnModal<ChangePreview>([](ChangePreview& preview) {
        EXPECT_FALSE(preview.NameField());
        EXPECT_EQ(preview.Status(), "9 place(s) in 3 file(s)");
        preview.ConfirmButton()->click();
    });
    dialog.cmdReplaceAll->click();
    EXPECT_EQ(dir.read("game/lib/world.bb"),
              "Type Thing\r\n\tField tally\r\nEnd Type\r\nFunction ResetScore()\r\n\ttally% = 0\r\nEnd Function\r\n");
    EXPECT_TRUE(Text("main.bb").endsWith("Print \"tally: \" + tally\r\ntally = 1"));
    EXPECT_EQ(Text("player.bb"), "Function AddPoints(n)\r\n\ttally = tally + n\r\nEnd Function");
    EXPECT_EQ(pane.Title(), "0 match(es) of score in 0 file(s)") << "the list shows what is left";
}

// Ctrl+T lists every declaration; typing narrows to names holding the letters
// in order, and Enter goes to the best one, a jump Alt+Left comes back from.
TEST_F(ProgramTools, GoToSymbolNarrowsAsTypedAndGoesToTheChoice)
{
    editor().SetCaret(2, 4);
    Key(Qt::Key_T, Qt::ControlModifier);
    SymbolBox& box = window->programTools().symbolBox();
    ASSERT_TRUE(box.isVisible());
    EXPECT_EQ(std::size_t(box.RowCount()), window->programs().ProgramOf(main).Symbols().size());
    QTest::keyClicks(box.Filter(), "score");
    QStringList rows;
    for (int row = 0; row < box.RowCount(); ++row)
        rows << box.RowText(row);
    EXPECT_TRUE(rows.contains("score Thing world.bb 2")) << "the field's type as declared: " << rows.join(", ").toStdString();
    box.Filter()->clear();
    QTest::keyClicks(box.Filter(), "adpo");
    ASSERT_GE(box.RowCount(), 1);
    EXPECT_EQ(box.RowText(0), "AddPoints  player.bb 1");
    QTest::keyClick(box.Filter(), Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(Where(), "player.bb:1:18");
    EXPECT_EQ(editor().SelectedText(), "AddPoints");
    Key(Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(Where(), "main.bb:4:2");
}

}  // namespace
