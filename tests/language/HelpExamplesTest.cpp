#include "LanguageTestSupport.h"

#include "language/Includes.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>

namespace {

// Examples the compiler itself rejects, with the reason, by file name.
const std::map<std::string, std::string> kRejected = {
    {"PokeInt.bb", "'Pint' for 'Print': Function 'pint' not found"},
    {"SaveImage.bb", "a string broken over two lines: Expecting ')'"},
    {"OpenFile.bb", "a string without its opening quote: Mismatched brackets"},
    {"SeekFile.bb", "a string without its opening quote: Mismatched brackets"},
    {"FilePos.bb", "a string without its opening quote: Mismatched brackets"},
    {"Delete.bb", "a block If without EndIf inside For: 'Next' without 'For'"},
    {"SendNetMsg.bb", "'player\\name$' broken over two lines: Function 'player' not found"},
    {"JoyUDir.bb", "prose, not code: Expecting end-of-file"},
    {"LoadTerrain.bb", "prose, not code: Expecting end-of-file"},
    {"TCPTimeouts.bb", "prose ('None.'): Expecting identifier"},
    {"String.bb", "a comment written with ': Expecting end-of-file"},
    {"Each.bb", "uses a Type it never declares: Type \"chair\" not found"},
    {"Global.bb", "uses a Type it never declares: Type \"cursor\" not found"},
    {"Rnd.bb", "y then y#: Variable type mismatch"},
    {"Include.bb", "includes files the help does not ship: Unable to open include file"},
    {"DeleteNetPlayer.bb", "the If is inside a comment: 'Else' without 'If'"},
    {"MAK-sfx.bb", "a part of the makbot example, not a program: Function 'animateentity' not found"},
};

}  // namespace

// Every example of the real help tree checks clean, as the compiler accepts
// it; includes are read from the example's folder as the compiler does.
TEST(HelpExamplesTest, EveryExampleChecksClean)
{
    const std::filesystem::path help = SharedPath("blitz3d/help");
    if (help.empty())
        GTEST_SKIP() << "no Blitz3D help tree beside the repository";
    int examples = 0;
    std::vector<std::string> failures;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(help)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".bb")
            continue;
        ++examples;
        lang::Program program;
        Feed(program, {{lang::FileKey(entry.path().string()), ReadFileBytes(QString::fromStdString(entry.path().string()))}});
        const auto diagnostics = Brief(program.Diagnostics());
        const bool rejected = kRejected.count(entry.path().filename().string()) != 0;
        if (diagnostics.empty() == rejected)
            failures.push_back(entry.path().string() + (diagnostics.empty() ? ": no diagnostic" : ": " + diagnostics.front()));
    }
    EXPECT_EQ(examples, 572);
    for (const std::string& f : failures)
        ADD_FAILURE() << f;
    std::cout << examples << " examples, " << failures.size() << " unexpected\n";
}
