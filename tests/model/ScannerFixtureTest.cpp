// A small game with two included files, its declarations listed beside it
// in game.decls.

#include "support/Declarations.h"

#include "support/TempDir.h"  // ReadFileBytes

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace {

const QString kFixtures = QStringLiteral(OVREL_MODEL_FIXTURES);

std::vector<std::string> SortedLines(std::string text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] != '#')
            lines.push_back(line);
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(ScannerFixture, GameDeclaresWhatItsSourceSays)
{
    const ScanResult r = ScanDocument(ReadFileBytes(kFixtures + "/game.bb"), kFixtures + "/", TestStyles());
    std::string found = Describe(*r.DocKeywords);
    std::replace(found.begin(), found.end(), ' ', '\n');
    EXPECT_EQ(SortedLines(found), SortedLines(ReadFileBytes(kFixtures + "/game.decls")));
    // Included files are named by the program's keys: their paths in lower case.
    EXPECT_EQ(r.Includes, (QStringList{kFixtures + "/lib/vectors.bb", kFixtures + "/lib/sound.bb", kFixtures + "/lib/never.bb"}));
}

}  // namespace
