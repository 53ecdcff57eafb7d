// A small game with two included files: every declaration the scanner takes
// from it, and nothing else.

#include "AnalysisTestSupport.h"

#include "analysis/Scanner.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString kFixtures = QStringLiteral(OVREL_ANALYSIS_FIXTURES);

// 1-based number of the first line of `text` holding `snippet`; lines end at
// CR LF, LF or CR.
int LineOf(const std::string& text, std::string_view snippet)
{
    int line = 1;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        if (std::string_view(text).substr(start, end - start).find(snippet) != std::string_view::npos)
            return line;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
        ++line;
    }
    ADD_FAILURE() << "no line holds " << snippet;
    return 0;
}

struct Expected {
    std::string name;
    int kind;
    std::string returnType;
    std::string file;     // fixture file the line is in
    std::string snippet;  // text of that line
};

TEST(ScannerFixture, GameDeclaresWhatItsSourceSays)
{
    const std::string game = ReadFileBytes(kFixtures + "/game.bb");
    const std::string vectors = ReadFileBytes(kFixtures + "/Lib/Vectors.bb");
    const std::string sound = ReadFileBytes(kFixtures + "/Lib/sound.bb");
    ASSERT_FALSE(game.empty());
    ASSERT_NE(sound.find('\r'), std::string::npos);
    ASSERT_EQ(sound.find('\n'), std::string::npos);

    const std::vector<Expected> expected = {
        // lib\vectors.bb
        {"PI#", 6, "", "vectors", "Const PI#"},
        {"EPSILON#", 6, "", "vectors", "Const PI#"},
        {"Vec3", 3, "", "vectors", "Type Vec3"},
        {"tempVec", 2, ".Vec3", "vectors", "Global tempVec"},
        {"vecCount", 2, "%", "vectors", "Global vecCount"},
        {"pool()", 2, ".Vec3", "vectors", "Dim pool"},
        {"Vec3Add.Vec3", 4, "", "vectors", "Function Vec3Add"},
        {"Vec3Length#", 4, "", "vectors", "Function Vec3Length"},
        // LIB\SOUND.bb
        {"sndShoot", 2, "%", "sound", "Global sndShoot"},
        {"sndBoom", 2, "%", "sound", "Global sndShoot"},
        {"volume", 2, "#", "sound", "Global sndShoot"},
        {"channels()", 2, "%", "sound", "Dim channels"},
        {"SoundSlot", 3, "", "sound", "Type SoundSlot"},
        {"PlayShot", 4, "", "sound", "Function PlayShot"},
        // game.bb
        {"SCREEN_W", 6, "", "game", "Const SCREEN_W"},
        {"SCREEN_H", 6, "", "game", "Const SCREEN_W"},
        {"MAX_BULLETS%", 6, "", "game", "Const MAX_BULLETS"},
        {"TITLE$", 6, "", "game", "Const TITLE$"},
        {"GRAVITY#", 6, "", "game", "Const GRAVITY#"},
        {"FRICTION#", 6, "", "game", "Const GRAVITY#"},
        {"Ship", 3, "", "game", "Type Ship"},
        {"Bullet", 3, "", "game", "Type Bullet"},
        {"Star", 3, "", "game", "Type Star"},
        {"Particle", 3, "", "game", "Type Particle"},
        {"player", 2, ".Ship", "game", "Global player.Ship"},
        {"score", 2, "%", "game", "Global score%"},
        {"hiscore", 2, "%", "game", "Global score%"},
        // The ";" inside the literal ends the line before frames.
        {"message", 2, "$", "game", "Global message$"},
        {"camera", 2, "%", "game", "Global camera"},
        {"light", 2, "%", "game", "Global camera"},
        {"gameState", 2, "%", "game", "Global gameState"},
        {"paused", 2, "%", "game", "Global gameState"},
        {"indented", 2, "#", "game", "Global indented"},
        {"stars()", 2, ".Star", "game", "Dim stars"},
        {"highscores()", 2, "%", "game", "Dim highscores"},
        {"names()", 2, "$", "game", "Dim highscores"},
        {"grid()", 2, "%", "game", "Dim grid"},
        {"flags()", 2, "%", "game", "Dim grid"},
        {"debugMode", 8, "%", "game", "Local debugMode"},
        {"startLevel", 5, "", "game", ".startLevel"},
        {"enemyWaves", 5, "", "game", ".enemyWaves"},
        {"InitGame", 4, "", "game", "Function InitGame"},
        {"i", 8, "%", "game", "\tLocal i"},
        {"UpdatePlayer", 4, "", "game", "Function UpdatePlayer"},
        {"dx", 8, "#", "game", "Local dx#"},
        {"dy", 8, "#", "game", "Local dx#"},
        {"FireBullet.Bullet", 4, "", "game", "Function FireBullet"},
        {"b", 8, ".Bullet", "game", "Local b.Bullet"},
        {"Distance#", 4, "", "game", "Function Distance#"},
        {"ddx", 8, "#", "game", "Local ddx#"},
        {"ddy", 8, "#", "game", "Local ddx#"},
        {"DrawHud$", 4, "", "game", "Function DrawHud$"},
        {"ShowMessage", 4, "", "game", "Function ShowMessage"},
        {"SpawnParticles", 4, "", "game", "Function SpawnParticles"},
        {"n", 8, "%", "game", "Local n, part"},
        {"part", 8, ".Particle", "game", "Local n, part"},
        {"UpdateParticles", 4, "", "game", "Function UpdateParticles"},
        {"part", 8, ".Particle", "game", "\tLocal part.Particle"},
        {"LoadHighscores", 4, "", "game", "Function LoadHighscores"},
        {"f", 8, "%", "game", "Local f = ReadFile"},
        {"i", 8, "%", "game", "Local f = ReadFile"},
        {"SaveHighscores", 4, "", "game", "Function SaveHighscores"},
        {"f", 8, "%", "game", "Local f = WriteFile"},
        {"Menu%", 4, "", "game", "Function Menu%"},
        {"choice", 8, "%", "game", "Local choice%"},
        {"blink", 8, "%", "game", "Local choice%"},
        {"gameLoop", 5, "", "game", ".gameLoop"},
    };

    std::vector<std::string> want;
    for (const Expected& e : expected) {
        const std::string& file = e.file == "game" ? game : e.file == "vectors" ? vectors : sound;
        const int line = LineOf(file, e.snippet) * (e.file == "game" ? 1 : -1);
        want.push_back(e.name + "|" + std::to_string(e.kind) + "|" + e.returnType + "|" + std::to_string(line));
    }

    const ScanResult r = ScanDocument(game, kFixtures + "/", TestStyles());
    std::vector<std::string> got;
    for (const EditorKeywordPtr& e : *r.DocKeywords)
        got.push_back(e->Name + "|" + std::to_string(e->Kind()) + "|" + e->ReturnType + "|" + std::to_string(e->Line));
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, want);

    EXPECT_EQ(r.Includes, (QStringList{kFixtures + "/lib/vectors.bb", kFixtures + "/LIB/SOUND.bb"}));

    // Keys number the document's own entries in the order met; each file
    // counts its own.
    const std::vector<std::pair<std::string, int>> keyed = {
        {"SCREEN_W0", 6}, {"SCREEN_H1", 6}, {"MAX_BULLETS%2", 6}, {"gameLoop52", 5}, {"PI#0", 6},
        {"Vec3Length#7", 4}, {"sndShoot0", 2}, {"PlayShot5", 4}, {"stars19", 2},
    };
    for (const auto& [key, kind] : keyed) {
        const EditorKeyword* e = r.DocKeywords->Find(key);
        ASSERT_NE(e, nullptr) << key;
        EXPECT_EQ(e->Kind(), kind) << key;
    }
}

TEST(ScannerFixture, EveryScanReadsTheIncludesAfresh)
{
    // A later change on disk shows in the next scan and leaves the earlier
    // result as it was.
    TempDir dir;
    dir.write("game.bb", "Include \"lib\\vectors.bb\"\r\nGlobal mine");
    dir.write("Lib/Vectors.bb", ReadFileBytes(kFixtures + "/Lib/Vectors.bb"));
    const DeclStyles styles = TestStyles();

    const ScanResult before = ScanDocument(dir.read("game.bb"), dir.path() + "/", styles);
    dir.write("Lib/Vectors.bb", "Global replaced");
    const ScanResult after = ScanDocument(dir.read("game.bb"), dir.path() + "/", styles);

    EXPECT_EQ(before.DocKeywords->Count(), 9u);
    EXPECT_EQ(Names(*after.DocKeywords), (std::vector<std::string>{"mine", "replaced"}));
    EXPECT_TRUE(before.DocKeywords->Find("Vec3Add.Vec36"));
}

}  // namespace
