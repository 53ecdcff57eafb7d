#include "LanguageTestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iostream>
#include <sstream>

// Every program the real compiler was run on gets its verdict, and its first
// line exactly, as `ovrel --check` prints it.
TEST(CompilerCasesTest, FirstLineIsTheCompilers)
{
    const std::filesystem::path cases = SharedPath("blitz3d/compiler-cases");
    if (cases.empty())
        GTEST_SKIP() << "no recorded compiler cases beside the checkout (../shared/blitz3d/compiler-cases)";
    std::ifstream index(cases / "index.tsv");
    std::string row;
    std::getline(index, row);
    int total = 0, verdicts = 0, exact = 0;
    while (std::getline(index, row)) {
        std::istringstream fields(row);
        std::string name, madeFrom, expected;
        std::getline(fields, name, '\t');
        std::getline(fields, madeFrom, '\t');
        std::getline(fields, expected, '\t');
        const std::string got =
            CheckFirstLine(cases / name / "main.bb", cases.parent_path(), Layout::Portable(OVREL_RESOURCES_DIR));
        ++total;
        verdicts += got.empty() == expected.empty();
        exact += got == expected;
        if (got != expected)
            ADD_FAILURE() << name << " (" << madeFrom << ")\n  compiler: " << expected << "\n  ours:     " << got;
    }
    std::cout << total << " cases: verdict " << verdicts << ", first line exact " << exact << '\n';
    EXPECT_GT(total, 0);
}
