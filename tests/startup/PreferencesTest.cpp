#include "startup/Labels.h"
#include "startup/Preferences.h"
#include "support/Scripted.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

struct Loaded {
    bool ok = false;
    Settings settings;
    QStringList messages;
};

Loaded Load(const std::string& prefs)
{
    TempDir dir;
    dir.write("prefs.ini", prefs);
    CUILabels labels;
    labels.add("Bad colour #colorString#", "parseColorError");
    ScriptedPrompter prompter;
    Loaded out;
    out.ok = LoadSettings(Layout::Portable(dir.path()), out.settings, labels, prompter);
    out.messages = prompter.texts();
    return out;
}

// What the file does not hold is the default.
TEST(Preferences, ConvertsEachKindOfValue)
{
    const Loaded l = Load("[paths]\r\nb3ddir=/opt/Blitz3D\r\n"
                          "[IDEFONT]\r\nFontName=DejaVu Sans Mono\r\nFontSize=12\r\n"
                          "[IDEOPTS]\r\nAutoIndent=TRUE\r\nDebugEnabled=yes\r\nTabSize=10.5\r\nScrollLines=11.5\r\n"
                          "[IDECOLORS]\r\nTextColor=300,0,7\r\nCaretColor=1,2,3,4\r\n"
                          "[LANGUAGE]\r\nIndentMoreTokens=  If Then \r\n");
    ASSERT_TRUE(l.ok);
    EXPECT_TRUE(l.messages.isEmpty());
    Settings expected;
    // The program folder comes along, for the relative paths.
    EXPECT_FALSE(l.settings.ProgramDir.isEmpty());
    expected.ProgramDir = l.settings.ProgramDir;
    expected.B3DDir = "/opt/Blitz3D";
    expected.FontName = "DejaVu Sans Mono";
    expected.FontSize = 12;
    expected.AutoIndent = true;
    expected.DebugEnabled = false;
    expected.TabSize = 10;  // halves round to the even neighbour
    expected.ScrollLines = 12;
    expected.TextColor = Rgb(255, 0, 7);
    expected.CaretColor = Rgb(1, 2, 3);
    expected.IndentMoreTokens = " If Then ";
    EXPECT_EQ(l.settings, expected);
}

TEST(Preferences, AMalformedColourSaysSoAndGivesBlack)
{
    const Loaded l = Load("[IDECOLORS]\r\nBackColor=12,34\r\nTextColor=red,0,0\r\n");
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.settings.BackColor, 0u);
    EXPECT_EQ(l.settings.TextColor, 0u);
    ASSERT_EQ(l.messages.size(), 2);
    // The description says which setting of which file, and what a colour looks like.
    const std::pair<QString, QString> told[] = {{"red,0,0", "TextColor"}, {"12,34", "BackColor"}};
    for (int i = 0; i < 2; ++i) {
        const QString& message = l.messages[i];
        EXPECT_TRUE(message.startsWith("Bad colour " + told[i].first + ": the setting " + told[i].second + " in /"))
            << message.toStdString();
        EXPECT_TRUE(message.contains("prefs.ini must be three whole numbers from 0 to 255")) << message.toStdString();
    }

    EXPECT_EQ(ParseColorText(" 1 , 2 , 3 "), Rgb(1, 2, 3));
    for (const char* bad : {"", "1,2", "1,,3", "a,b,c", "-1,0,0", "1,2,99999999999"})
        EXPECT_FALSE(ParseColorText(bad)) << bad;
}

TEST(Preferences, MalformedNumbersEndTheLoadButAnEmptyFontSizeIsZero)
{
    EXPECT_EQ(Load("[IDEFONT]\r\nFontSize=\r\n").settings.FontSize, 0);
    for (const char* prefs : {"[IDEOPTS]\r\nTabSize=abc\r\n", "[IDEOPTS]\r\nTabSize=\r\n",
                              "[IDEOPTS]\r\nTabSize=40000\r\n", "[IDEOPTS]\r\nLineGutterMode=2x\r\n",
                              "[IDEOPTS]\r\nScrollLines=three\r\n", "[IDEFONT]\r\nFontSize=big\r\n"})
        EXPECT_THROW(Load(prefs), std::runtime_error) << prefs;
}

// The rest of what is written is read back by the settings dialog's test.
TEST(Preferences, WritingRenamesTheFolderKeyAndCutsTheFontSize)
{
    TempDir dir;
    dir.write("prefs.ini", "[PATHS]\r\nB3DDir=/old\r\n");
    Settings s;
    s.B3DDir = "/new/Blitz3D";
    s.FontSize = 11.6;
    ASSERT_TRUE(WriteSettings(Layout::Portable(dir.path()), s));
    const std::string written = dir.read("prefs.ini");
    for (const char* line : {"B3dDir=/new/Blitz3D\r\n", "FontSize=11\r\n"})
        EXPECT_NE(written.find(line), std::string::npos) << line;
    EXPECT_EQ(written.find("B3DDir=/old"), std::string::npos);
}

}  // namespace
