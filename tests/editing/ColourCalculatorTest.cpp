#include "editing/ColourCalculator.h"

#include "support/TempDir.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

TEST(ColourCalculator, ColoursAreWrittenAsBlitzCodeDoes)
{
    const struct {
        Color colour;
        const char *hex, *rgb;
    } rows[] = {
        {Rgb(0, 0, 0), "$000000", "0,0,0"},
        {Rgb(255, 255, 255), "$FFFFFF", "255,255,255"},
        {Rgb(255, 0, 0), "$FF0000", "255,0,0"},
        {Rgb(10, 171, 5), "$0AAB05", "10,171,5"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(editing::ColourText(r.colour, true), r.hex);
        EXPECT_EQ(editing::ColourText(r.colour, false), r.rgb);
    }
}

#ifndef Q_OS_WIN
TEST(ColourCalculator, TheFirstCalculatorOnThePathInOrderOfPreference)
{
    TempDir first, second;
    auto program = [](const TempDir& dir, const char* name) {
        const QString path = dir.write(name, "#!/bin/sh\n");
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return path;
    };
    program(first, "xcalc");
    const QString kcalc = program(second, "kcalc");
    first.write("gnome-calculator", "not executable");
    EXPECT_EQ(editing::FindCalculator({first.path(), second.path()}), kcalc);
    EXPECT_EQ(editing::FindCalculator({first.path()}), first.file("xcalc"));
    EXPECT_EQ(editing::FindCalculator({}), QString());
}
#endif

}  // namespace
