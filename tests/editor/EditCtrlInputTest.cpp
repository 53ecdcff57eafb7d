#include "editor/EditCtrl.h"

#include "EditorTestSupport.h"
#include "platform/Windows1252.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <functional>

namespace {

// An editor on screen with its signals counted.
struct Fixture {
    EditCtrl editor;
    int changes = 0;
    std::vector<int> added, downs, presses;
    std::pair<int, int> caret;
    std::function<void(EditorKeyEvent*)> onDown, onPress;

    Fixture()
    {
        editor.resize(500, 300);
        editor.show();
        QObject::connect(&editor, &EditCtrl::Change, &editor, [this] { ++changes; });
        QObject::connect(&editor, &EditCtrl::CharAdded, &editor, [this](int c) { added.push_back(c); });
        QObject::connect(&editor, &EditCtrl::CaretMove, &editor, [this](int col, int line) { caret = {col, line}; });
        QObject::connect(&editor, &EditCtrl::KeyDown, &editor, [this](EditorKeyEvent* e) {
            downs.push_back(e->key);
            if (onDown)
                onDown(e);
        });
        QObject::connect(&editor, &EditCtrl::KeyPress, &editor, [this](EditorKeyEvent* e) {
            presses.push_back(e->character);
            if (onPress)
                onPress(e);
        });
    }

    QWidget* input() { return editor.focusProxy(); }
    QWidget* viewport() { return input()->findChild<QWidget*>(QStringLiteral("qt_scrollarea_viewport")); }
    void key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(input(), key, mods); }
    void type(const QString& text) { QTest::keyClicks(input(), text); }
};

}  // namespace

TEST(EditCtrlKeys, HandlersSeeKeysFirstAndMayKeepThemFromTheText)
{
    Fixture f;
    // Ctrl+Space (a blank with Ctrl held) and Enter are cancelled, x becomes
    // y, and KeyDown swallows Z. (Without the modifiers in the event, the
    // blank would reach the text.)
    f.onPress = [&](EditorKeyEvent* e) {
        if ((e->character == 32 && (e->modifiers & Qt::ControlModifier)) || e->character == 13)
            e->character = 0;
        if (e->character == 'x')
            e->character = 'y';
    };
    f.onDown = [](EditorKeyEvent* e) {
        if (e->key == Qt::Key_Z)
            e->key = 0;
    };
    f.type("ab");
    EXPECT_EQ(f.added, (std::vector<int>{'a', 'b'}));
    EXPECT_EQ(f.changes, 2);  // one per edit
    EXPECT_EQ(f.caret, (std::pair<int, int>{2, 1}));
    f.key(Qt::Key_Space, Qt::ControlModifier);
    f.key(Qt::Key_Return);
    f.key(Qt::Key_Tab);
    f.type("xz");
    f.key(Qt::Key_F1);
    EXPECT_EQ(f.editor.Text(), "ab\ty");
    // KeyPress hears what KeyDown swallowed, and nothing of F1.
    EXPECT_EQ(f.presses, (std::vector<int>{'a', 'b', 32, 13, 9, 'x', 'z'}));
    EXPECT_EQ(f.added.back(), 'y');
    EXPECT_EQ(f.downs.back(), Qt::Key_F1);
    EXPECT_EQ(f.changes, 4);
}

TEST(EditCtrlKeys, ChangeFiresOncePerEditButNotForLoadingOrSettingText)
{
    Fixture f;
    TempDir dir;
    f.editor.SetText("Graphics 640,480\r\nEnd");
    ASSERT_TRUE(f.editor.LoadFile(dir.write("a.bb", "Cls\r\nFlip\r\n")));
    EXPECT_EQ(f.changes, 0);
    f.editor.SetSelection({true, 0, 0, 3, 0});
    const std::function<void()> edits[] = {
        [&] { f.editor.ReplaceSelection("Text 1,2,\"a\"\r\nPrint"); },
        [&] { f.editor.Undo(); },
        [&] { f.editor.Redo(); },
        [&] { f.editor.SetSelection({true, 0, 0, 4, 0}), f.editor.Cut(); },
        [&] { f.editor.Paste(); },
    };
    for (int i = 0; i < 5; ++i) {
        edits[i]();
        QCoreApplication::processEvents();
        EXPECT_EQ(f.changes, i + 1);
    }
    EXPECT_EQ(f.editor.Text(), "Text 1,2,\"a\"\r\nPrint\r\nFlip");
}

TEST(EditCtrlKeys, EnterIndentsByTheSettingsTokens)
{
    Fixture f;
    EditorAppearance look;
    look.IndentMoreTokens = " If For ";
    look.IndentLessTokens = " EndIf Next ";
    f.editor.ApplyAppearance(look);
    f.type("For i = 1 To 3\rPrint i\rNext\rEnd");
    EXPECT_EQ(f.editor.Text(), "For i = 1 To 3\r\n\tPrint i\r\nNext\r\nEnd");

    // One Undo takes back the line break with its indentation.
    f.editor.SetText("For i = 1 To 3");
    f.editor.SetCaret(14, 1);
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.editor.Text(), "For i = 1 To 3\r\n\t");
    f.editor.Undo();
    EXPECT_EQ(f.editor.Text(), "For i = 1 To 3");

    f.editor.SetText("");
    f.editor.SetAutoIndent(false);
    f.type("If a\rb");
    EXPECT_EQ(f.editor.Text(), "If a\r\nb");

    // A file of LF line ends keeps typing LF.
    TempDir dir;
    ASSERT_TRUE(f.editor.LoadFile(dir.write("lf.bb", "a\nb\n")));
    f.editor.SetCaret(1, 2);
    f.key(Qt::Key_Return);
    EXPECT_EQ(f.editor.Text(), "a\nb\n");
}

// An emoji typed was once lost, and a character Windows-1252 lacks asked at
// once to make the file UTF-8: whatever comes in goes in, and a save decides
// the file's encoding. Raw Windows-1252 bytes (a name completed from an
// include) once went into the text as they were, so a UTF-8 file held them.
TEST(EditCtrlKeys, EveryCharacterTypedPastedOrPutInReachesTheText)
{
    Fixture f;
    TempDir dir;
    const std::pair<const char*, std::function<void(const QString&)>> ways[] = {
        {"key", [&](const QString& t) { QTest::sendKeyEvent(QTest::Click, f.input(), Qt::Key_unknown, t, {}); }},
        {"input method",
         [&](const QString& t) { QInputMethodEvent e; e.setCommitString(t), QApplication::sendEvent(f.input(), &e); }},
        {"paste", [&](const QString& t) { QGuiApplication::clipboard()->setText(t), f.editor.Paste(); }},
        {"program", [&](const QString& t) { f.editor.ReplaceSelection(t.toUtf8()); }},
        {"program, raw Windows-1252 where it can",
         [&](const QString& t) {
             const std::string utf8 = t.toStdString();
             f.editor.ReplaceSelection(QByteArray::fromStdString(text::Utf8ToWindows1252(utf8).value_or(utf8)));
         }},
    };
    const EditorBuffer& buffer = *f.editor.CurrentBuffer();
    for (const auto& [way, put] : ways) {
        for (const QString& text : QStringList{"\u00e9", "\u2713", "\U0001F600", "ab\U0001F600"}) {
            SCOPED_TRACE(way + (" " + text).toStdString());
            ASSERT_TRUE(f.editor.LoadFile(dir.write("old.bb", "; \xE9\r\n")));
            f.editor.SetCaret(4, 1);  // bytes: after the é
            put(text);
            const QByteArray utf8 = ("; \u00e9" + text).toUtf8();
            EXPECT_EQ(f.editor.Text(), utf8);
            EXPECT_EQ(f.editor.FileBytes(buffer).has_value(), text::Windows1252Lacks(text).isEmpty());
            EXPECT_EQ(f.editor.FileBytes(buffer, true), utf8 + "\r\n");
        }
    }
}

TEST(EditCtrlMouse, TheWheelScrollsTheConfiguredLines)
{
    Fixture f;
    f.editor.SetText(QByteArray::fromStdString(NumberedLines("Print %1", 200)));
    QWidget* area = f.viewport();
    ASSERT_NE(area, nullptr);

    auto scrolledBy = [&](int lines) {
        EditorAppearance look;
        look.WheelScrollLines = lines;
        f.editor.ApplyAppearance(look);
        f.editor.SetCaret(0, 100);
        f.editor.SetCaret(0, 1);
        const int before = f.editor.CaretPoint().y();
        QWheelEvent wheel(QPointF(5, 5), area->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &wheel);
        return before - f.editor.CaretPoint().y();
    };
    const int two = scrolledBy(2);
    EXPECT_GT(two, 0);
    EXPECT_EQ(scrolledBy(6), 3 * two);
}

TEST(EditCtrlText, AJumpShowsTheLineInTheUpperThirdAndItsFlashGoesAway)
{
    Fixture f;
    EditorAppearance look;
    look.BackColor = Rgb(255, 255, 255);
    look.ErrorLineColor = Rgb(255, 0, 0);
    f.editor.ApplyAppearance(look);
    f.editor.SetText(QByteArray::fromStdString(NumberedLines("Print %1", 300)));
    const int height = f.viewport()->height();
    f.editor.SetCaret(0, 2);
    const int lineHeight = f.editor.CaretPoint().y();
    f.editor.SetCaret(0, 1);
    const int top = f.editor.CaretPoint().y();
    ASSERT_GT(lineHeight - top, 0);

    // A declaration near the end of a long file used to land on the bottom row.
    f.editor.JumpToLine(200);
    EXPECT_EQ(f.editor.CaretPos().Line, 200);
    EXPECT_EQ(f.editor.CaretPos().Column, 0);
    const int y = f.editor.CaretPoint().y();
    EXPECT_NEAR(y, height / 3, 2 * (lineHeight - top)) << "height " << height;
    // Near the start nothing scrolls above the first line.
    f.editor.JumpToLine(2);
    EXPECT_EQ(f.editor.CaretPoint().y(), lineHeight);

    // The flash: the error colour, then the background again without a
    // click (the red line used to stay until the caret left it).
    f.editor.JumpToLine(200);
    auto colourOfLine = [&] {
        const int y = f.viewport()->mapFrom(&f.editor, f.editor.CaretPoint()).y() + 3;
        return f.viewport()->grab().toImage().pixelColor(f.viewport()->width() - 10, y);
    };
    f.editor.FlashLine(200, 2, std::chrono::milliseconds(50));
    EXPECT_EQ(colourOfLine(), QColor(255, 0, 0));
    EXPECT_EQ(f.editor.LineMarker(200), 2);
    // The background again, under the caret line's faint tint at most.
    auto unmarked = [&] {
        const QColor c = colourOfLine();
        return c.red() == c.green() && c.green() == c.blue() && c.lightness() > 230;
    };
    EXPECT_TRUE(WaitUntil(unmarked, 2000));
    EXPECT_EQ(f.editor.LineMarker(200), 0);
}
