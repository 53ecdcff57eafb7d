// The find and replace dialog, driven offscreen with the message boxes
// answered by script.
#include "editing/DialogFindReplace.h"
#include "editing/EditingTools.h"
#include "support/AppFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

constexpr char kSource[] = "Global score = 0\r\nscore = score + 1\r\nPrint \"SCORE\" ; score\r\n";

class FindReplace : public AppFixture {
protected:
    DialogFindReplace& Open(const std::string& bytes = kSource)
    {
        docs().OpenDoc(dir.write("game.bb", bytes));
        Command("mnuFindReplace");
        DialogFindReplace* dialog = window->editingTools().findDialog();
        EXPECT_TRUE(dialog && dialog->isVisible());
        return *dialog;
    }
    QString Label(const char* key) const { return app->labels.getValue(key); }
    // The spans a button selects, one per click, until a message is shown.
    std::vector<TextSpan> Walk(QPushButton* button)
    {
        std::vector<TextSpan> spans;
        for (std::size_t shown = prompter.shown.size(); prompter.shown.size() == shown && spans.size() < 20;) {
            button->click();
            if (prompter.shown.size() == shown)
                spans.push_back(editor().SelectionSpan());
        }
        return spans;
    }
};

TEST_F(FindReplace, FindAndFindNextWalkTheMatchesOnceWithoutWrapping)
{
    DialogFindReplace& d = Open();
    EXPECT_EQ(d.comboSearch->currentText(), "Global");  // the word at the caret
    EXPECT_TRUE(d.Option1->isChecked());

    d.comboSearch->setEditText("");
    d.cmdFind->click();
    EXPECT_TRUE(prompter.shown.empty()) << "an empty search does nothing";

    d.comboSearch->setEditText("score");
    d.cmdFind->click();
    EXPECT_EQ(editor().SelectionSpan(), (TextSpan{7, 12}));
    EXPECT_TRUE(d.cmdFindNext->isDefault());
    const std::vector<TextSpan> rest = Walk(d.cmdFindNext);
    EXPECT_EQ(rest, (std::vector<TextSpan>{{18, 23}, {26, 31}, {44, 49}, {53, 58}}));
    EXPECT_EQ(prompter.told(), QStringList{"None: " + Label("textnotfound")});
    d.cmdFindNext->click();
    EXPECT_EQ(prompter.shown.size(), 2u) << "every further Find next says so again";

    // Match case leaves out "SCORE"; a new Find starts again at the top.
    d.Check1->setChecked(true);
    d.cmdFind->click();
    EXPECT_EQ(editor().SelectionSpan(), (TextSpan{7, 12}));

    // F3 goes on after the dialog is closed, Shift+F3 goes back.
    QTest::keyClick(&d, Qt::Key_Escape);
    EXPECT_FALSE(d.isVisible());
    ASSERT_TRUE(Activate());
    auto press = [&](QKeyCombination keys) {
        QTest::keySequence(window, QKeySequence(keys));
        return editor().SelectionSpan();
    };
    EXPECT_EQ(press(Qt::Key_F3), (TextSpan{18, 23}));
    EXPECT_EQ(press(Qt::SHIFT | Qt::Key_F3), (TextSpan{7, 12}));
    // Moved elsewhere, the search goes on from the caret.
    editor().SetCaret(0, 3);
    EXPECT_EQ(press(Qt::Key_F3), (TextSpan{53, 58}));
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(prompter.shown.size(), 2u);

    // Editing the search text makes Enter a new Find.
    Command("mnuFindReplace");
    QTest::keyClicks(d.comboSearch, "x");
    EXPECT_TRUE(d.cmdFind->isDefault());
}

TEST_F(FindReplace, ReplaceAllIsOneUndoStepAndTouchesNoOtherByte)
{
    // A Windows-1252 file: every byte but the replaced ones is written back
    // as it was. A euro sign went in as "?", then was refused as 8-bit text.
    const std::string bytes = "x\xA3 = \"\xE9t\xE9\" ; X\x01\r\n\xFFx\r\n";
    DialogFindReplace& d = Open(bytes);
    d.comboSearch->setEditText("x");
    d.ComboReplace->setEditText(QStringLiteral("xx\u20AC"));
    d.cmdReplaceAll->click();
    ASSERT_EQ(prompter.texts(), (QStringList{Label("askreplaceall").replace("#searchtext#", "x"),
                                             Label("replMade").replace("#n#", "3")}));
    EXPECT_EQ(prompter.shown[1].icon, MsgIcon::Information);
    Command("mnuSaveBBFile");
    EXPECT_EQ(ReadFileBytes(current().FilePath), "xx\x80\xA3 = \"\xE9t\xE9\" ; xx\x80\x01\r\n\xFFxx\x80\r\n");

    editor().Undo();
    EXPECT_EQ(editor().FileBytes(*editor().CurrentBuffer())->toStdString(), bytes);

    // Cancelled before it starts: the dialog goes away, nothing changes.
    prompter.answers = {MsgAnswer::Cancel};
    d.cmdReplaceAll->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(editor().FileBytes(*editor().CurrentBuffer())->toStdString(), bytes);
}

// Replace All once went on from where earlier searches had stopped ("0
// replacement(s) made" with matches left, after a second "not found"), and
// Replace with the search box emptied offered to replace the previous match.
TEST_F(FindReplace, ReplacingDoesWhatItAsksAndSaysNotFoundAtMostOnce)
{
    DialogFindReplace& d = Open("a = a + a\r\n");
    const QString notFound = Label("textnotfound"), ask = Label("askreplaceall").replace("#searchtext#", "a"),
                  three = Label("replMade").replace("#n#", "3"), one = Label("replacethis").replace("#searchtext#", "a");
    // The searches before the command, a letter a click: Find, Find next
    // and Find previous (from the caret, after the second "a").
    const struct {
        const char* searches;
        QPushButton* command;
        std::deque<MsgAnswer> answers;
        QStringList shown;
        const char* text;
    } rows[] = {
        {"", d.cmdReplaceAll, {}, {ask, three}, "b = b + b"},
        {"F", d.cmdReplaceAll, {}, {ask, three}, "b = b + b"},
        {"FNNN", d.cmdReplaceAll, {}, {notFound, ask, three}, "b = b + b"},
        {"PPP", d.cmdReplaceAll, {}, {notFound, ask, three}, "b = b + b"},
        // Replace takes the match ahead of where the search stands.
        {"PPP", d.cmdReplace, {MsgAnswer::Yes, MsgAnswer::Cancel}, {notFound, one, one}, "b = a + a"},
        {"FNNN", d.cmdReplace, {}, {notFound, notFound}, "a = a + a"},
        {"", d.cmdReplace, {MsgAnswer::Yes}, {one, notFound}, "a = a + b"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.searches + (" " + r.command->text()).toStdString());
        editor().SetText("a = a + a");
        editor().SetCaret(5, 1);
        d.comboSearch->setEditText("a");
        d.ComboReplace->setEditText("b");
        for (const char* c = r.searches; *c; ++c)
            *c == 'F' ? d.Find() : *c == 'N' ? d.FindNext() : d.FindPrevious();
        prompter.answers = r.answers;
        r.command->click();
        EXPECT_EQ(prompter.texts(), r.shown);
        EXPECT_EQ(editor().Text(), r.text);
        for (const ScriptedPrompter::Shown& asked : prompter.shown)
            EXPECT_TRUE(asked.text != one ||
                        (asked.title == Label("confirmreplace") && asked.buttons == MsgButtons::YesNoCancel));
        prompter.shown.clear();
        d.show();
    }
    editor().SetText("a = a + a");
    d.comboSearch->setEditText("");
    d.cmdReplace->click();
    d.cmdReplaceAll->click();
    EXPECT_TRUE(prompter.shown.empty());
    EXPECT_EQ(editor().Text(), "a = a + a");

    // Cancel stops and puts the dialog away; it comes back as it was, the
    // replacement typed in its history.
    d.comboSearch->setEditText("a");
    d.ComboReplace->setEditText("");
    QTest::keyClicks(d.ComboReplace->lineEdit(), "ab");
    prompter.answers = {MsgAnswer::Cancel};
    d.cmdReplace->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(editor().Text(), "a = a + a");
    Command("mnuFindReplace");
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.ComboReplace->itemText(0), "ab");

    // Another text is another search, though one is under way.
    d.comboSearch->setEditText("+");
    d.ComboReplace->setEditText("-");
    d.cmdReplace->click();
    EXPECT_EQ(editor().Text(), "a = a - a");

    // A selection of several lines is what is searched.
    editor().SetText("a\r\na\r\na\r\na");
    editor().SetSelection({true, 0, 1, 1, 2});
    Command("mnuFindReplace");
    EXPECT_TRUE(d.Option2->isChecked());
    d.comboSearch->setEditText("a");
    d.cmdReplaceAll->click();
    EXPECT_EQ(editor().Text(), "a\r\n-\r\n-\r\na");
}

TEST_F(FindReplace, HistoriesKeepTheFiveLatestTextsOnce)
{
    DialogFindReplace& d = Open();
    for (const char* text : {"one", "two", "three", "two", "four", "five", "six"}) {
        d.comboSearch->setEditText("");
        QTest::keyClicks(d.comboSearch->lineEdit(), text);
        d.cmdFind->click();
    }
    auto items = [&] {
        QStringList out;
        for (int i = 0; i < d.comboSearch->count(); ++i)
            out << d.comboSearch->itemText(i);
        return out;
    };
    EXPECT_EQ(items(), (QStringList{"six", "five", "four", "two", "three"}));
    // Picking an entry and searching leaves the order alone.
    d.comboSearch->setCurrentIndex(3);
    Q_EMIT d.comboSearch->activated(3);
    d.cmdFind->click();
    EXPECT_EQ(items(), (QStringList{"six", "five", "four", "two", "three"}));
}

TEST_F(FindReplace, TheDialogNeverCoversTheMatchItSelects)
{
    DialogFindReplace& d = Open();
    d.comboSearch->setEditText("SCORE");
    d.cmdFind->click();
    auto matchOnScreen = [&] {
        const QRect r = editor().SpanRect(editor().SelectionSpan());
        return QRect(editor().mapToGlobal(r.topLeft()), r.size());
    };
    d.move(matchOnScreen().center() - QPoint(d.width() / 2, d.height() / 2));
    ASSERT_TRUE(d.frameGeometry().intersects(matchOnScreen()));
    d.cmdFindNext->click();
    EXPECT_FALSE(d.frameGeometry().intersects(matchOnScreen()));
}

}  // namespace
