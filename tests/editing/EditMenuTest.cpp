// Every command of the Edit menu and the tools toolbar changes the text as a
// Blitz3D programmer expects, through the real window.
#include "editing/EditingTools.h"
#include "support/AppFixture.h"
#include "support/ScopedEnv.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

class EditMenu : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        Command("mnuNewBBFile");
    }
};

// Ctrl+E and Ctrl+R once did nothing with only a caret, their items being
// enabled by a selection alone; the test called the commands directly.
TEST_F(EditMenu, BlockCommandsChangeWholeLinesAsOneStep)
{
    ASSERT_TRUE(Activate());
    const char* const kText = "If a\r\n\tb = 1\r\n\t; note\r\nEndIf";
    // Lines 2 and 3, the selection ending inside line 3; a caret in line 2.
    const EditorSelection lines23{true, 2, 1, 3, 2};
    const EditorSelection caret{false, 2, 1, 2, 1};
    const QKeySequence comment(Qt::CTRL | Qt::Key_E), uncomment(Qt::CTRL | Qt::Key_R);
    const struct {
        QKeySequence keys;  // or, for an item without keys, the item
        const char* item;
        EditorSelection before, after;  // comments leave the caret at the block's end
        const char* text;
    } rows[] = {
        {comment, nullptr, lines23, {false, 8, 2, 8, 2}, "If a\r\n;\tb = 1\r\n;\t; note\r\nEndIf"},
        {uncomment, nullptr, lines23, {false, 6, 2, 6, 2}, "If a\r\n\tb = 1\r\n\t note\r\nEndIf"},
        {comment, nullptr, caret, {false, 7, 1, 7, 1}, "If a\r\n;\tb = 1\r\n\t; note\r\nEndIf"},
        // A selection that ends at column 0 of a line leaves that line alone.
        {comment, nullptr, {true, 0, 0, 0, 1}, {false, 5, 0, 5, 0}, ";If a\r\n\tb = 1\r\n\t; note\r\nEndIf"},
        // Indenting keeps the same lines selected, a caret where it was.
        {{}, "mnuIndentBlock", lines23, {true, 0, 1, 8, 2}, "If a\r\n\t\tb = 1\r\n\t\t; note\r\nEndIf"},
        {{}, "mnuUnindentBlock", lines23, {true, 0, 1, 6, 2}, "If a\r\nb = 1\r\n; note\r\nEndIf"},
        {{}, "mnuIndentBlock", {true, 0, 3, 0, 0}, {true, 0, 3, 0, 0}, "\tIf a\r\n\t\tb = 1\r\n\t\t; note\r\nEndIf"},
        {{}, "mnuIndentBlock", caret, {false, 3, 1, 3, 1}, "If a\r\n\t\tb = 1\r\n\t; note\r\nEndIf"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.item ? r.item : r.keys.toString().toStdString());
        editor().SetText(kText);
        editor().SetSelection(r.before);
        r.item ? window->menus().item(r.item)->trigger() : QTest::keySequence(window, r.keys);
        EXPECT_EQ(editor().Text(), r.text);
        EXPECT_EQ(editor().Selection(), r.after);
        // One undo step, which brings back the selection; a redo the one after.
        Key(Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(editor().Text(), kText);
        EXPECT_EQ(editor().Selection(), r.before);
        Key(Qt::Key_Y, Qt::ControlModifier);
        EXPECT_EQ(editor().Selection(), r.after);
    }

    // Tab and Shift+Tab do the same to a selection of several lines, in the
    // blanks this document indents with; Shift+Tab to a caret's line too.
    app->settings.TabSize = 3;
    editor().SetText("If a\r\n   b\r\nEndIf");
    editor().SetSelection({true, 0, 0, 2, 1});
    Key(Qt::Key_Tab);
    EXPECT_EQ(editor().Text(), "   If a\r\n      b\r\nEndIf");
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(editor().Text(), "If a\r\nb\r\nEndIf");
    EXPECT_EQ(editor().SelectionSpan(), (TextSpan{0, 7}));
    editor().SetText("If a\r\n\t\tb\r\nEndIf");
    editor().SetCaret(3, 2);
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(editor().Text(), "If a\r\n\tb\r\nEndIf");
    EXPECT_EQ(editor().CaretPos().Column, 2);
}

TEST_F(EditMenu, ClipboardAndUndoCommandsChangeTheText)
{
    editor().SetText("Print 1");
    editor().SetSelection({true, 0, 0, 6, 0});
    Command("mnuCut");
    EXPECT_EQ(editor().Text(), "1");
    editor().SetCaret(1, 1);
    Command("mnuPaste");
    EXPECT_EQ(editor().Text(), "1Print ");
    Command("mnuUndo");
    EXPECT_EQ(editor().Text(), "1");
    Command("mnuRedo");
    EXPECT_EQ(editor().Text(), "1Print ");

    // A press still undoes one step; Ctrl+Shift+Z, the Linux desktops' redo,
    // once did nothing.
    editor().SetCaret(7, 1);
    Type("x");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor().Text(), "1Print ");
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(editor().Text(), "1Print x");
}

TEST_F(EditMenu, ColourGoesInAsHexadecimalOrComponents)
{
    editor().SetText("Color 0");
    editor().SetSelection({true, 6, 0, 7, 0});
    dialogs.colors = {Rgb(255, 0, 0), std::nullopt, Rgb(10, 171, 5)};
    window->dispatcher().ButtonClick("cOptionsBar", "btColor");
    EXPECT_EQ(editor().Text(), "Color $FF0000");
    window->menus().item("mnuInsertRGB")->trigger();
    window->menus().item("mnuInsertRGB")->trigger();  // already checked: stays so
    EXPECT_FALSE(window->menus().item("mnuInsertHex")->isChecked());
    window->dispatcher().ButtonClick("cOptionsBar", "btColor");  // cancelled
    EXPECT_EQ(editor().Text(), "Color $FF0000");
    editor().SetCaret(0, 1);
    window->dispatcher().ButtonClick("cOptionsBar", "btColor");
    EXPECT_EQ(editor().Text(), "10,171,5Color $FF0000");
}

#ifndef Q_OS_WIN
TEST_F(EditMenu, CalculatorIsTheDesktopsOrAClearMessage)
{
    TempDir bin;
    const QString started = bin.file("started");
    const QString calc = bin.write("galculator", ("#!/bin/sh\n: > '" + started + "'\n").toStdString());
    QFile::setPermissions(calc, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const ScopedEnv path("PATH", bin.path().toUtf8());
    window->dispatcher().ButtonClick("cOptionsBar", "btCalc");
    EXPECT_TRUE(WaitUntil([&] { return QFile::exists(started); }, 10000));
    EXPECT_TRUE(prompter.shown.empty());

    qputenv("PATH", QDir::tempPath().toUtf8() + "/no-such-folder");
    window->dispatcher().ButtonClick("cOptionsBar", "btCalc");
    ASSERT_EQ(prompter.shown.size(), 1u);
    for (const char* name : {"gnome-calculator", "kcalc", "galculator", "qalculate-gtk", "xcalc"})
        EXPECT_TRUE(prompter.told()[0].startsWith("Critical: ") && prompter.told()[0].contains(name)) << name;
}
#endif

}  // namespace
