#include "LanguageTestSupport.h"

#include "language/Includes.h"
#include "startup/CheckCommand.h"

#include <fstream>
#include <sstream>

const lang::Vocabulary& ShippedVocabulary()
{
    static const lang::Vocabulary vocabulary = [] {
        std::ifstream in(OVREL_RESOURCES_DIR "/commands.txt", std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return check::ReadVocabulary(text.str(), {}, {{"netlib.decls", "NetLibConnect%(port%)"}});
    }();
    return vocabulary;
}

void Feed(lang::Program& program, const std::vector<std::pair<std::string, std::string>>& files)
{
    program.SetVocabulary(ShippedVocabulary());
    program.SetMainFile(files.front().first);
    for (const auto& [key, text] : files)
        program.SetFile(key, text);
    for (const std::string& key : program.NeededFiles())
        program.SetMissing(key);
}

std::vector<std::string> Brief(const std::vector<lang::Diagnostic>& diagnostics, bool warnings)
{
    std::vector<std::string> out;
    for (const lang::Diagnostic& d : diagnostics) {
        if ((d.warning != lang::WarningKind::None) != warnings)
            continue;
        const std::string_view file = std::string_view(d.file).substr(lang::FolderOf(d.file).size() + 1);
        out.push_back(std::string(file) + ":" + std::to_string(d.row + 1) + ":" + std::to_string(d.col + 1) + ":" +
                      d.message);
    }
    return out;
}

std::filesystem::path SharedPath(const std::string& relative)
{
    const std::string candidates = OVREL_SHARED_CANDIDATES;
    for (std::size_t start = 0; start <= candidates.size();) {
        std::size_t end = candidates.find(':', start);
        if (end == std::string::npos)
            end = candidates.size();
        const std::filesystem::path path = std::filesystem::path(candidates.substr(start, end - start)) / relative;
        if (std::filesystem::exists(path))
            return path;
        start = end + 1;
    }
    return {};
}

std::string CheckFirstLine(const std::filesystem::path& main, const std::filesystem::path& blitz, const Layout& layout)
{
    std::ostringstream out, err;
    check::RunCheckCommand({"--check", "--blitzpath", QString::fromStdString(blitz.string()),
                            QString::fromStdString(main.string())},
                           layout, out, err);
    std::string line = out.str().substr(0, out.str().find('\n'));
    if (const std::size_t end = line.find("\":"); !line.empty() && line[0] == '"' && end != std::string::npos)
        line = "\"main.bb" + line.substr(end);
    return line;
}
