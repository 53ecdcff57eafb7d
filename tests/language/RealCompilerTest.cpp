#include "LanguageTestSupport.h"

#include "build/InstallCommands.h"
#include "support/TempDir.h"

#include <QProcess>

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

// The compiler's error line for a program, the path aside; "" when it compiles.
std::string Compiler(const QString& tool, const std::filesystem::path& main)
{
    QProcess compiler;
    compiler.setWorkingDirectory(QString::fromStdString(main.parent_path().string()));
    compiler.start(tool, {"+q", "-c", QString::fromStdString(main.filename().string())});
    compiler.waitForFinished(60000);
    std::string last;
    for (const QByteArray& line : compiler.readAllStandardOutput().split('\n'))
        if (line.startsWith('"'))
            last = line.trimmed().toStdString();
    if (const std::size_t end = last.find("\":"); end != std::string::npos)
        last = "\"main.bb" + last.substr(end);
    return last;
}

// One change of the kinds a programmer makes by mistake, picked by `random`.
std::string Mutant(const std::string& source, std::mt19937& random)
{
    std::vector<std::string> lines;
    std::istringstream in(source);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    if (lines.empty())
        return source;
    const std::size_t at = random() % lines.size();
    static const char* const traps[] = {
        "qqa = 1 / 0", "Exit", "Local qqv[2] : qqv[3] = 1", "qqs$ = \"a\" - 1", "Goto qqnolabel",
        "Insert qqa Before qqb", "Delete qqa", "For qqc = 1 To 2 Step qqa : Next", "Data qqa + 1",
        "qqf# = Sin(1) : qqf% = 2", "Dim qqd(2) : qqd$(1) = \"x\"", "Print Rnd%(1)", "Select Null : End Select",
    };
    switch (random() % 5) {
    case 0: lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at)); break;
    case 1: lines[at] += ")"; break;
    case 2: {
        std::string& line = lines[at];
        for (std::size_t i = 0; i + 1 < line.size(); ++i)
            if (std::isalpha(static_cast<unsigned char>(line[i])) && line[i + 1] == '(') {
                line.insert(i + 1, "q");
                break;
            }
        break;
    }
    default: lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), traps[random() % std::size(traps)]); break;
    }
    std::string out;
    for (const std::string& line : lines)
        out += line + "\n";
    return out;
}

}  // namespace

// Where the real compiler runs (through Wine), `ovrel --check` says what it
// says about every help example and about mutants of them.
TEST(RealCompilerTest, CheckSaysWhatTheCompilerSays)
{
    const std::filesystem::path tools = SharedPath("tools/real-compiler");
    const std::filesystem::path help = SharedPath("blitz3d/help");
    if (tools.empty() || help.empty())
        GTEST_SKIP() << "no real compiler or help tree beside the checkout (../shared)";
    const QString tool = QString::fromStdString(tools.string());
    QProcess probe;
    probe.start(tool, {});
    probe.waitForFinished(60000);
    if (probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        GTEST_SKIP() << "the real compiler does not run here: " << probe.readAllStandardOutput().trimmed().toStdString();
    const std::filesystem::path blitz = help.parent_path();
    // The install's own command list, as the window caches it for --check.
    TempDir dir;
    Layout layout = Layout::Portable(OVREL_RESOURCES_DIR);
    layout.stateDir = dir.file("state");
    QProcess keywords;
    keywords.start(tool, {"+k"});
    keywords.waitForFinished(60000);
    const QString b3d = QString::fromStdString(blitz.string());
    ASSERT_TRUE(installcommands::WriteCache(installcommands::CachePath(layout.stateDir), installcommands::Stamp(b3d),
                                            installcommands::CommandsOf(keywords.readAllStandardOutput().toStdString())));

    std::vector<std::filesystem::path> examples;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(help))
        if (entry.is_regular_file() && entry.path().extension() == ".bb")
            examples.push_back(entry.path());
    std::sort(examples.begin(), examples.end());
    int total = 0, exact = 0;
    const auto compare = [&](const std::filesystem::path& main, const std::string& what) {
        const std::string theirs = Compiler(tool, main), ours = CheckFirstLine(main, blitz, layout);
        ++total;
        exact += theirs == ours;
        EXPECT_EQ(theirs.empty(), ours.empty()) << what << "\n  compiler: " << theirs << "\n  ours:     " << ours;
        if (!theirs.empty() && theirs != ours)
            std::cout << what << "\n  compiler: " << theirs << "\n  ours:     " << ours << '\n';
    };
    for (const auto& example : examples)
        compare(example, example.string());

    std::mt19937 random(20261207);
    for (int i = 0; i < 200; ++i) {
        const auto& example = examples[random() % examples.size()];
        const std::string text = Mutant(ReadFileBytes(QString::fromStdString(example.string())), random);
        const QString main = dir.write(QStringLiteral("m%1/main.bb").arg(i), text);
        compare(main.toStdString(), "mutant " + std::to_string(i) + " of " + example.filename().string());
    }
    std::cout << total << " programs, first line exact " << exact << '\n';
    EXPECT_GE(exact * 100, total * 99);
}
