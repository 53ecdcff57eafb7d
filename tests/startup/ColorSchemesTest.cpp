#include "startup/ColorSchemes.h"

#include "platform/IniFile.h"
#include "startup/Preferences.h"
#include "support/ProgramDir.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(ColorSchemes, LightIsTheShippedColours)
{
    const IniFile shipped(ShippedResource("prefs.ini"));
    const ColorScheme& light = BuiltInSchemes().at(0);
    ASSERT_EQ(light.name, "Light");
    const auto keys = ColorKeys();
    for (std::size_t i = 0; i < ColorScheme::kColourCount; ++i)
        EXPECT_EQ(ColorToString(light.colours[i]).toStdString(), shipped.Get("IDECOLORS", keys[i].key, "")) << keys[i].key;
}

TEST(ColorSchemes, AHandEditedFileLosesNoSchemeOverABadColour)
{
    TempDir dir;
    const QString path = dir.write("schemes.ini",
                                   "; mine\r\n[\xEF\xBB\xBF\tDusk ]\r\nBackColor=10,20,30\r\nTextColor=not a colour\r\n"
                                   "[DARK]\r\nBackColor=1,1,1\r\n[Sea [2]]\r\nBackColor=1,1,1\r\n[dusk]\r\nTextColor=1,1,1\r\n");
    const std::vector<ColorScheme> schemes = LoadUserSchemes(path);
    // A byte-order mark and blanks around a section's name are no part of
    // it. A built-in name or a name with brackets is no user scheme; the
    // same name in another case is the same scheme.
    ASSERT_EQ(schemes.size(), 1u);
    const ColorScheme& dusk = schemes[0];
    EXPECT_EQ(dusk.name, "Dusk");
    Settings s;
    dusk.ApplyTo(s);
    EXPECT_EQ(s.BackColor, Rgb(10, 20, 30));
    // Missing or unreadable: Light's.
    EXPECT_EQ(s.TextColor, Rgb(33, 37, 41));
    EXPECT_EQ(s.CommandsColor, Rgb(0, 84, 196));
    EXPECT_TRUE(LoadUserSchemes(dir.file("none.ini")).empty());

    // Written back, it reads the same.
    ASSERT_TRUE(SaveUserSchemes(path, schemes));
    const std::vector<ColorScheme> again = LoadUserSchemes(path);
    ASSERT_EQ(again.size(), 1u);
    EXPECT_EQ(again[0].name, "Dusk");
    EXPECT_EQ(again[0].colours, dusk.colours);
}

TEST(ColorSchemes, ANameTheDialogTakesComesBackFromTheFile)
{
    const std::pair<QString, bool> rows[] = {
        {"Night Owl", true}, {QString::fromUtf8("Caf\xC3\xA9 #2"), true}, {"light", false}, {"Sea [2]", false},
        // A pasted name once cut its section header in two and was lost; a
        // leading byte-order mark was read back as nothing.
        {"Night\nOwl", false}, {"Night\rOwl", false}, {QChar(0xFEFF) + QString("Night"), false},
    };
    for (const auto& [name, taken] : rows) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(SchemeNameProblem(name).isEmpty(), taken);
        if (!taken)
            continue;
        const ColorScheme mine{name, false, BuiltInSchemes().back().colours};
        const std::vector<ColorScheme> back = UserSchemesOf(IniFile(UserSchemesIni({mine}).Contents()));
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].name, name);
        EXPECT_EQ(back[0].colours, mine.colours);
    }
}
