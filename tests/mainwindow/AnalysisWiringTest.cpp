// The declaration scanner wired to the editor: edits lead to rescans, the
// result colours the editor and fills the declaration list, and stays with
// the document it was made from.
#include "panes/DeclList.h"
#include "assist/EditorEvents.h"
#include "model/DocDeclarations.h"
#include "documents/DocumentTabs.h"
#include "support/AppFixture.h"

#include <QAction>
#include <QDateTime>
#include <QFile>
#include <QListView>
#include <QTest>
#include <QTimer>

#include <functional>
#include <random>

namespace {

class Analysis : public AppFixture {
protected:
    QStringList Declared(int kind) const
    {
        QStringList out;
        if (const auto& list = current().DocKeywords)
            for (const EditorKeywordPtr& e : *list)
                if (e->Kind() == kind)
                    out << QString::fromStdString(e->Name);
        return out;
    }
    // Runs `edit` and waits for the rescan it leads to.
    bool Rescanned(const std::function<void()>& edit)
    {
        const int before = window->events().ScanCount();
        edit();
        return WaitUntil([&] { return window->events().ScanCount() > before && !window->events().RescanPending(); });
    }
};

const char* const kSource =
    "Include \"lib\\Shapes.bb\"\r\n"
    "Global score%, lives = 3\r\n"
    "Type Enemy\r\n"
    "End Type\r\n"
    "Function Spawn.Enemy(x#, y#)\r\n"
    "End Function\r\n"
    "Function Area#(w#, h#)\r\n"
    "\tReturn w * h\r\n"
    "End Function\r\n";

// An include saved in a tab is read again by the document that includes it,
// though the file keeps its size and its time stamp: only the save tells.
TEST_F(Analysis, OpeningScansTheFileAndItsIncludesAndAnIncludeSavedInATab)
{
    const QString lib = dir.write("game/lib/shapes.bb", "Function DrawBox(x, y)\r\nEnd Function\r\nGlobal boxes\r\n");
    const auto keepStamp = [&] {
        QFile f(lib);
        return f.open(QIODevice::ReadWrite) &&
               f.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(12, 0)), QFileDevice::FileModificationTime);
    };
    ASSERT_TRUE(keepStamp());
    const std::string prints = NumberedLines("Print %1", 250);
    docs().OpenDoc(dir.write("game/main.bb", kSource + prints + "Function Late()\r\nEnd Function\r\n" + prints));
    EXPECT_EQ(Declared(kKindFunction), (QStringList{"Area#", "DrawBox", "Late", "Spawn.Enemy"}));
    EXPECT_EQ(Declared(kKindGlobal), (QStringList{"boxes", "lives", "score"}));

    CDoc* main = docs().CurrentDoc();
    docs().OpenDoc(lib);
    editor().SetText("Function DrawBox(x, y)\r\nEnd Function\r\nGlobal boxez\r\n");
    ASSERT_TRUE(docs().SaveDoc(current(), true));
    ASSERT_TRUE(keepStamp());
    window->tabs().setCurrentIndex(1);
    ASSERT_EQ(docs().CurrentDoc(), main);
    ASSERT_TRUE(WaitUntil([&] { return Declared(kKindGlobal).contains("boxez"); }));
    EXPECT_FALSE(Declared(kKindGlobal).contains("boxes"));
}

TEST_F(Analysis, TypingRescansShortlyAfter)
{
    dir.write("lib.bb", "Type Enemy\r\nField hp\r\nEnd Type\r\n");
    docs().OpenDoc(dir.write("main.bb", "Include \"lib.bb\"\r\nGlobal a.Enemy\r\n"));
    EditorEvents& events = window->events();
    editor().SetCaret(0, 3);
    ASSERT_TRUE(Rescanned([&] {
        Type("\nGlobal bonus");
        EXPECT_TRUE(events.RescanPending());
    }));
    EXPECT_TRUE(Declared(kKindGlobal).contains("bonus"));

    // With parsing switched off nothing rescans until it is back on, whatever
    // the key: F12, Shift+F12, Ctrl+click and a field list of a type another
    // file declares once did.
    window->menus().item("mnuDisableParsing")->trigger();
    const int scans = events.ScanCount();
    ASSERT_TRUE(Activate());
    Type("\nGlobal later");
    QTest::keySequence(window, QKeySequence(Qt::Key_F12));
    QTest::keySequence(window, QKeySequence(Qt::SHIFT | Qt::Key_F12));
    QTest::mouseClick(editorArea(), Qt::LeftButton, Qt::ControlModifier,
                      editorArea()->mapFrom(&editor(), editor().CaretPoint() + QPoint(-8, 4)));
    Key(Qt::Key_End);
    Type("\na\\");
    Pump(200);
    EXPECT_EQ(events.ScanCount(), scans);
    window->menus().item("mnuDisableParsing")->trigger();
    ASSERT_TRUE(WaitUntil([&] { return Declared(kKindGlobal).contains("later"); }));
}

// A rescan once left the row number chosen, so that after an edit and an
// undo another declaration was highlighted; after a full rescan the list
// scrolled back to the declaration chosen; another document showed its own
// declaration of that name chosen.
TEST_F(Analysis, TheListKeepsWhereTheUserScrolledAndChoseInEachDocument)
{
    docs().OpenDoc(dir.write("a.bb", NumberedLines("Function F%1()\r\nEnd Function", 300, 100)));
    const QString a = current().Key;
    DeclList& list = window->declList();
    list.SelectTab("Functions");
    auto* view = Child<QListView>(list, "ListView1");
    view->setCurrentIndex(view->model()->index(0, 0));
    view->scrollTo(view->model()->index(150, 0), QAbstractItemView::PositionAtTop);
    const auto chosen = [&] {
        const QModelIndexList selected = view->selectionModel()->selectedIndexes();
        return selected.size() == 1 ? selected[0].data().toString() : QString();
    };
    // The row at the top as the user sees it. After a change of its rows the
    // view lays itself out only at its next turn in the event loop, or when it
    // paints; until then indexAt reads the old layout and finds no row, so the
    // view is laid out first, as painting would.
    const auto top = [&] {
        view->doItemsLayout();
        return view->indexAt(QPoint(2, 2)).row();
    };

    const std::pair<const char*, std::function<void()>> edits[] = {
        {"a declaration added above",
         [&] { editor().SetCaret(0, 1), editor().ReplaceSelection("Function Early()\r\nEnd Function\r\n"); }},
        {"undone", [&] { editor().Undo(); }},
        {"all of the text replaced, as Replace All does",
         [&] { editor().SelectSpan(0, editor().Text().size()), editor().ReplaceSelection(editor().Text() + "\r\nGlobal g"); }},
    };
    for (const auto& [what, edit] : edits) {
        ASSERT_TRUE(Rescanned(edit)) << what;
        EXPECT_EQ(chosen(), "F100") << what;
        EXPECT_NEAR(top(), 150, 2) << what;
    }

    docs().OpenDoc(dir.write("b.bb", "Function F100()\r\nEnd Function\r\n"));
    const QString b = current().Key;
    EXPECT_EQ(chosen(), "");
    ClickTab(a);
    EXPECT_EQ(chosen(), "F100");
    EXPECT_EQ(top(), 150);
    // Once it is gone, nothing is chosen in its place.
    ASSERT_TRUE(Rescanned([&] { editor().SetSelection({true, 0, 0, 0, 2}), editor().ReplaceSelection(""); }));
    EXPECT_EQ(chosen(), "");

    // Shown again, a document lists what it declares now, also names it
    // gained while the list showed another kind.
    list.SelectTab("Globals");
    editor().SetCaret(0, 1);
    ASSERT_TRUE(Rescanned([&] { Type("Function Later()\nEnd Function\n"); }));
    EXPECT_EQ(list.Names(), QStringList{"g"});
    list.SelectTab("Functions");
    EXPECT_TRUE(list.Names().contains("Later"));
    for (const QString& key : {b, a, b, a})
        ClickTab(key);
    EXPECT_TRUE(list.Names().contains("Later"));
}

TEST_F(Analysis, AScanStaysWithTheDocumentItStartedOn)
{
    docs().OpenDoc(dir.write("a.bb", "Global onlyInA\r\n"));
    docs().OpenDoc(dir.write("b.bb", "Global onlyInB\r\n"));
    CDoc* b = docs().CurrentDoc();
    CDoc* a = docs().Docs()[0].get();
    window->tabs().setCurrentIndex(1);
    window->declList().SelectTab("Globals");
    EXPECT_EQ(window->declList().Names(), QStringList{"onlyInA"});

    // The user switches to b while a long scan of a lets the window run.
    const std::string many = NumberedLines("Global g%1", 5000);
    editor().SetText(QByteArray::fromStdString(many) + "Global addedToA");
    EditorEvents& events = window->events();
    events.SetScanYieldInterval(std::chrono::milliseconds(0));
    bool switched = false;
    QTimer::singleShot(0, window, [&] {
        window->tabs().setCurrentIndex(2);
        switched = true;
    });
    events.ScanDocument();
    ASSERT_TRUE(switched) << "the scan never let the window run";
    EXPECT_EQ(docs().CurrentDoc(), b);
    EXPECT_EQ(a->DocKeywords->Count(), 5001u);
    EXPECT_EQ(b->DocKeywords->Count(), 1u);
    EXPECT_EQ(window->declList().Names(), QStringList{"onlyInB"});
    EXPECT_EQ(editor().Text(), "Global onlyInB");

    // A newer scan of b that starts and ends inside an older one wins.
    editor().SetText(QByteArray::fromStdString(many) + "Global older");
    QTimer::singleShot(0, window, [&] {
        editor().SetText("Global newer");
        events.ScanDocument();
    });
    events.ScanDocument();
    ASSERT_EQ(b->DocKeywords->Count(), 1u);
    EXPECT_EQ(b->DocKeywords->Item(1).Name, "newer");
    EXPECT_EQ(window->declList().Names(), QStringList{"newer"});
}

TEST_F(Analysis, RescansOfEditedLinesFindWhatAFullScanFinds)
{
    dir.write("game/lib/shapes.bb", "Function DrawBox(x, y)\r\nGlobal boxes\r\n");
    docs().OpenDoc(dir.write("game/main.bb", kSource));
    window->declList().SelectTab("Globals");
    const auto describe = [](const EditorKeywordList& list) {
        std::string out;
        for (const EditorKeywordPtr& e : list)
            if (e->Line != 0)  // not the names the program's other files share
                out += e->Name + "|" + std::to_string(e->Kind()) + "|" + e->ReturnType + "|" +
                       std::to_string(e->Line) + "|" + e->Key + " ";
        return out;
    };
    const QStringList pieces = {"Global extra, more", "\r\n", "Local t", " : Global g", "Include \"lib\\shapes.bb\"\r\n",
                                "Dim grid(3)\r\n", "x", ";", "Type Thing\r\n", "Global lives"};
    std::mt19937 random(7);
    const auto pick = [&](int n) { return int(random() % unsigned(n)); };
    for (int step = 0; step < 120; ++step) {
        // Edits add up between two scans.
        for (int edits = 1 + pick(3); edits > 0; --edits) {
            const int line = pick(editor().LineCount());
            const int column = pick(12);
            switch (pick(4)) {
            case 0:
                editor().SetCaret(column, line + 1);
                editor().ReplaceSelection(pieces[pick(int(pieces.size()))].toLatin1());
                break;
            case 1:
                editor().SetSelection({true, column, line, pick(12), std::min(line + pick(3), editor().LineCount() - 1)});
                editor().ReplaceSelection("");
                break;
            case 2:
                editor().SetCaret(column, line + 1);
                Type("al");
                break;
            default:
                editor().Undo();
            }
        }
        window->events().ScanDocument();
        const QByteArray text = editor().Text();
        const ScanResult full = ScanDocument(std::string_view(text.constData(), std::size_t(text.size())),
                                             current().FileDir, window->declStyles());
        ASSERT_EQ(describe(*current().DocKeywords), describe(*full.DocKeywords)) << step;
        ASSERT_EQ(current().Includes, full.Includes) << step;
        QStringList globals;
        for (const EditorKeywordPtr& e : *full.DocKeywords)
            if (e->Line > 0 && e->Kind() == kKindGlobal)
                globals << QString::fromStdString(e->Name);
        ASSERT_EQ(window->declList().Names(), globals) << step;
    }
}

}  // namespace
