// Colour schemes: the settings dialog's list, the user's own schemes, and
// the window following the editor's colours, on the real main window.
#include "editor/EditorTestSupport.h"
#include "platform/IniFile.h"
#include "startup/ColorSchemes.h"
#include "startup/SettingsDialog.h"
#include "support/AppFixture.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QTest>

namespace {

QStringList Rows(QListWidget* list)
{
    QStringList rows;
    for (int i = 0; i < list->count(); ++i)
        rows << list->item(i)->text();
    return rows;
}

QString Selected(QListWidget* list)
{
    return list->currentItem() && list->currentItem()->isSelected() ? list->currentItem()->text() : QString();
}

void Pick(QListWidget* list, const QString& row)
{
    const QList<QListWidgetItem*> found = list->findItems(row, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << row.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
}

class Theme : public AppFixture {
protected:
    // Picks a scheme in the settings dialog the preferences command shows,
    // and saves.
    void ChooseScheme(const QString& name)
    {
        SaveSettings([name](SettingsDialog& d) { Pick(Child<QListWidget>(d, "lstColorSchemas"), name); });
    }

    // What the editor paints below its text.
    QColor EditorBackground() const
    {
        const QImage shot = editor().grab().toImage();
        return shot.pixelColor(shot.width() / 2, shot.height() * 3 / 4);
    }

    static bool Dark(const QColor& c) { return c.lightness() < 80; }
};

TEST_F(Theme, ADarkSchemeRecoloursTheEditorAndTheWindowAndSurvivesARestart)
{
    const QString game = dir.write("game.bb", "Print 1\r\n");
    docs().OpenDoc(game);
    ASSERT_FALSE(Dark(QApplication::palette().color(QPalette::Window)));
    const ColorScheme& dark = BuiltInSchemes().at(1);
    ASSERT_EQ(dark.name, "Dark");

    ChooseScheme("Dark");
    auto expectDark = [&] {
        EXPECT_TRUE(dark.SameColours(app->settings));
        FinishColouring(editor());
        EXPECT_EQ(editor().TextColourAt(1, 0), app->settings.CommandsColor);
        EXPECT_EQ(EditorBackground(), QColor(RedOf(dark.colours[1]), GreenOf(dark.colours[1]), BlueOf(dark.colours[1])));
        // The palette of the whole program: the window, its menus, its dialogs.
        const QWidget* menu = window->menus().menus.value("mnuFile");
        for (const QWidget* w : {static_cast<const QWidget*>(window), menu}) {
            EXPECT_TRUE(Dark(w->palette().color(QPalette::Window))) << w->objectName().toStdString();
            EXPECT_FALSE(Dark(w->palette().color(QPalette::WindowText)));
        }
        EXPECT_TRUE(Dark(QApplication::palette().color(QPalette::Base)));
    };
    expectDark();

    // Started again, it comes up dark.
    Restart({game});
    ASSERT_TRUE(WaitUntil([&] { return docs().CurrentDoc() != nullptr; }));
    expectDark();

    ChooseScheme("Light");
    EXPECT_TRUE(BuiltInSchemes().at(0).SameColours(app->settings));
    EXPECT_FALSE(Dark(QApplication::palette().color(QPalette::Window)));
    EXPECT_EQ(EditorBackground(), QColor(Qt::white));
}

TEST_F(Theme, UsersSaveAndDeleteSchemesOfTheirOwnBesidePrefs)
{
    SettingsDialog d(*app);
    d.show();
    auto* list = Child<QListWidget>(d, "lstColorSchemas");
    auto* name = Child<QLineEdit>(d, "txtSchemaName");
    QAbstractButton* save = Child(d, "cmdSchemaSave");
    QAbstractButton* remove = Child(d, "cmdSchemaDelete");
    const QString file = dir.file("schemes.ini");
    auto fileHolds = [&](const char* scheme) { return !IniFile(dir.read("schemes.ini")).Get(scheme, "CommandsColor", "").empty(); };

    // The shipped colours are the Light scheme's.
    EXPECT_EQ(Rows(list), QStringList({"Light", "Dark"}));
    EXPECT_EQ(Selected(list), "Light");
    EXPECT_FALSE(remove->isEnabled());

    // A colour changed by hand is no scheme's until it is saved as one.
    dialogs.colors = {Rgb(1, 2, 3)};
    QTest::mouseDClick(Child<QWidget>(d, "ColorBox3"), Qt::LeftButton);
    EXPECT_EQ(Selected(list), "");
    QTest::keyClicks(name, "Night Owl");
    save->click();
    EXPECT_EQ(Rows(list), QStringList({"Light", "Dark", "Night Owl"}));
    EXPECT_EQ(Selected(list), "Night Owl");
    EXPECT_EQ(IniFile(dir.read("schemes.ini")).Get("Night Owl", "CommandsColor", ""), "1,2,3");
    EXPECT_TRUE(remove->isEnabled());

    // Built-in names are taken.
    name->setText("dark");
    save->click();
    EXPECT_TRUE(prompter.texts().value(0).contains("built-in")) << prompter.texts().join('|').toStdString();
    EXPECT_EQ(Rows(list).size(), 3);

    // Saving over one of the user's asks first; Cancel keeps it.
    Pick(list, "Dark");
    EXPECT_EQ(name->text(), "");
    name->setText("night owl");
    prompter.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
    save->click();
    EXPECT_EQ(IniFile(dir.read("schemes.ini")).Get("Night Owl", "CommandsColor", ""), "1,2,3");
    save->click();
    EXPECT_EQ(Rows(list), QStringList({"Light", "Dark", "night owl"}));
    EXPECT_EQ(IniFile(dir.read("schemes.ini")).Get("night owl", "CommandsColor", ""), "97,175,239");

    // A later dialog finds it; Delete asks, and Cancel keeps it.
    SettingsDialog later(*app);
    auto* laterList = Child<QListWidget>(later, "lstColorSchemas");
    EXPECT_EQ(Rows(laterList), QStringList({"Light", "Dark", "night owl"}));
    Pick(list, "night owl");
    prompter.answers = {MsgAnswer::Cancel, MsgAnswer::Ok};
    remove->click();
    EXPECT_TRUE(fileHolds("night owl"));
    remove->click();
    EXPECT_FALSE(fileHolds("night owl"));
    EXPECT_EQ(Rows(list), QStringList({"Light", "Dark"}));
    EXPECT_EQ(Selected(list), "Dark");  // the colours shown are still Dark's
    EXPECT_TRUE(QFile::exists(file));
}

}  // namespace

// Back from a dark scheme, the window once kept the style the dark scheme
// had set instead of the desktop's own.
class ThemeOnAStyledDesktop : public Theme {
protected:
    void SetUp() override
    {
        QApplication::setStyle(QStringLiteral("Windows"));
        Theme::SetUp();
    }
    void TearDown() override
    {
        Theme::TearDown();
        QApplication::setStyle(QStringLiteral("Fusion"));
    }
};

TEST_F(ThemeOnAStyledDesktop, ALightSchemeGivesTheDesktopItsStyleBack)
{
    ChooseScheme("Dark");
    EXPECT_EQ(QApplication::style()->name(), "fusion");
    ChooseScheme("Light");
    EXPECT_EQ(QApplication::style()->name(), "windows");
}
