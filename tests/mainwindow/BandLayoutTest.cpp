// The toolbar bands' rows: wrapped to the window's width, and read back from
// the settings whatever they hold.
#include "mainwindow/BandLayout.h"

#include <gtest/gtest.h>

namespace {

TEST(BandLayout, BandsThatDoNotFitStartARowOfTheirOwn)
{
    const BandRows rows = {{"A", "B", "C"}, {"D", "E"}};
    auto width = [](const QString& band) { return band == "C" ? 300 : 100; };
    const struct {
        int window;
        BandRows shown;
    } cases[] = {
        {600, {{"A", "B", "C"}, {"D", "E"}}},
        {499, {{"A", "B"}, {"C"}, {"D", "E"}}},
        {250, {{"A", "B"}, {"C"}, {"D", "E"}}},
        {150, {{"A"}, {"B"}, {"C"}, {"D"}, {"E"}}},  // C is alone, however wide
    };
    for (const auto& c : cases)
        EXPECT_EQ(WrapBands(rows, width, c.window), c.shown) << c.window;
}

TEST(BandLayout, SavedRowsKeepEveryKnownBandOnce)
{
    const QStringList known = {"A", "B", "C", "D"};
    const struct {
        const char* text;
        std::optional<BandRows> rows;
    } cases[] = {
        {"A,B|C,D", BandRows{{"A", "B"}, {"C", "D"}}},
        {" D , C|B", BandRows{{"D", "C"}, {"B", "A"}}},         // a band the text lacks joins the last row
        {"A,A,X|B|X|C,D", BandRows{{"A"}, {"B"}, {"C", "D"}}},  // repeats and unknown names left out
        {"", std::nullopt},
        {"|,X|", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseBands(QString::fromLatin1(c.text), known), c.rows) << c.text;
    const BandRows rows = {{"B", "A"}, {"D"}, {"C"}};
    EXPECT_EQ(ParseBands(FormatBands(rows), known), rows);
}

}  // namespace
