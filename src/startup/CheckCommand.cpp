#include "startup/CheckCommand.h"

#include "build/InstallCommands.h"
#include "editor/Vocabulary.h"
#include "language/Includes.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/SourceFile.h"
#include "platform/Text.h"
#include "startup/LabelsFile.h"
#include "startup/Layout.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <ostream>
#include <set>

namespace check {

namespace {

constexpr const char* kUsage = "usage: ovrel --check [--warnings] [--blitzpath DIR] FILE...";
// Nothing waits on a check, but a file that never answers must not hold it forever.
constexpr std::chrono::seconds kIncludeDeadline{5};

// Regular files only: a FIFO, device or socket would block or mean nothing.
std::optional<std::string> ReadRegular(const QString& path, qint64 maxBytes = kMaxIncludeBytes)
{
    SourceText text = ReadSourceFile(path, maxBytes);
    return text.ok() ? std::optional<std::string>(std::move(text.bytes)) : std::nullopt;
}

// The label table the window shows, for the reasons a check gives; English
// where it cannot be read.
CUILabels Labels(const Layout& layout)
{
    const std::optional<std::string> text = ReadRegular(QDir(layout.programDir).filePath(QStringLiteral("locale.txt")));
    try {
        return text ? ParseLabels(*text).labels : CUILabels();
    } catch (const std::exception&) {
        return CUILabels();
    }
}

std::vector<lang::Callable::Param> Params(std::string_view text)
{
    std::vector<lang::Callable::Param> params;
    for (const EditorKeywordParam& p : ParseParams(text))
        params.push_back({p.Name, p.Optional});
    return params;
}

template <typename Fn>
void EachLine(std::string_view text, Fn&& fn)
{
    // Lists saved by Windows editors start with a byte-order mark, which
    // is no part of the first name.
    text = text::SkipBom(text);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        try {
            fn(text.substr(start, end - start));
        } catch (const std::exception&) {
            // a line the format cannot describe names nothing
        }
        start = end + 1;
    }
}

std::vector<std::string> DeclsNames(const QString& folder)
{
    QStringList names = QDir(folder).entryList({QStringLiteral("*.decls")}, QDir::Files, QDir::Name);
    std::vector<std::string> paths;
    for (const QString& n : names)
        paths.push_back(QDir(folder).filePath(n).toStdString());
    return paths;
}

// The compiler counts rows by line feeds alone, while the model (as the
// editor) also ends a line at a lone CR: a model row after such a line
// lies further along the compiler's row.
class RowMap {
public:
    RowMap() = default;
    explicit RowMap(std::string_view text)
    {
        std::uint32_t row = 0;
        std::size_t rowStart = 0;  // where the compiler's row began
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\n') {
                rowStart = i + 1;
                ++row;
            } else if (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')) {
                ++row;
                m_inside.push_back({row, static_cast<std::uint32_t>(i + 1 - rowStart)});
            } else if (text[i] == '\r') {
                rowStart = i + 2;
                ++row;
                ++i;
            }
        }
    }
    void ToCompiler(std::uint32_t& row, std::uint32_t& col) const
    {
        const auto after = std::upper_bound(m_inside.begin(), m_inside.end(), std::make_pair(row, ~0u));
        const auto joined = static_cast<std::uint32_t>(after - m_inside.begin());
        if (after != m_inside.begin() && (after - 1)->first == row)
            col += (after - 1)->second;
        row -= joined;
    }

private:
    // Model rows that start after a lone CR, with their column in the compiler's row.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> m_inside;
};

}  // namespace

std::string QuotedPath(std::string_view path)
{
    std::string quoted = "\"";
    for (const char c : path) {
        switch (c) {
        case '"': quoted += "\\\""; break;
        case '\\': quoted += "\\\\"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        default: quoted += c;
        }
    }
    return quoted + '"';
}

lang::Vocabulary ReadVocabulary(std::string_view commands, const std::vector<std::string>& userlibs,
                                const std::vector<std::pair<std::string, std::string>>& shipped)
{
    lang::Vocabulary v;
    EachLine(commands, [&](std::string_view line) {
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            return;
        const CommandLineParts parts = ParseCommandLine(line);
        lang::Callable c{std::string(parts.name), {}, '?'};
        if (parts.params)
            c.params = Params(*parts.params);
        // The list writes a command that gives a value with brackets, and
        // names its type only where `+k` printed it: "Chr$ ( ascii )".
        c.result = line.find('(') == std::string_view::npos ? ' ' : '?';
        if (!c.name.empty() && std::string_view("%#$").find(c.name.back()) != std::string_view::npos) {
            c.result = c.name.back();
            c.name.pop_back();
        }
        v.commands.push_back(std::move(c));
    });
    for (const std::string& text : userlibs) {
        EachLine(text, [&](std::string_view line) {
            if (const auto parts = ParseDeclLine(line)) {
                lang::Callable c{std::string(parts->name), {}, '?'};
                if (parts->params)
                    c.params = Params(*parts->params);
                if (parts->returnType.size() == 1 && parts->returnType != "*")
                    c.result = parts->returnType[0];
                v.userlibs.push_back(std::move(c));
            }
        });
    }
    for (const auto& decls : shipped) {
        EachLine(decls.second, [&](std::string_view line) {
            if (const auto parts = ParseDeclLine(line))
                v.shippedDecls.emplace_back(std::string(parts->name), decls.first);
        });
    }
    return v;
}

bool IsCheckCommand(const QStringList& args) { return args.contains(QStringLiteral("--check")); }

int RunCheckCommand(const QStringList& args, const Layout& layout, std::ostream& out, std::ostream& err)
{
    QString blitzPath;
    bool haveBlitzPath = false;
    bool warnings = false;
    QStringList files;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--check"))
            continue;
        if (args[i] == QLatin1String("--warnings")) {
            warnings = true;
            continue;
        }
        if (args[i] == QLatin1String("--blitzpath")) {
            if (i + 1 >= args.size()) {
                err << kUsage << '\n';
                return 2;
            }
            blitzPath = args[++i];
            haveBlitzPath = true;
        } else if (args[i].startsWith(QLatin1String("--"))) {
            err << "unknown option " << args[i].toStdString() << '\n' << kUsage << '\n';
            return 2;
        } else {
            files << args[i];
        }
    }
    if (files.isEmpty()) {
        err << kUsage << '\n';
        return 2;
    }
    const IniFile prefs = IniFile::Load(layout.PrefsPath());
    if (!haveBlitzPath) {
        const QString dir = QString::fromStdString(prefs.Get("PATHS", "B3DDir", ""));
        if (!dir.isEmpty())
            blitzPath = paths::Absolute(layout.programDir, dir);
    }
    const QString commandsPath = paths::ResolveOnDisk(
        paths::Absolute(layout.programDir, QString::fromStdString(prefs.Get("PATHS", "Commands", "commands.txt"))));
    const std::optional<std::string> commands = ReadRegular(commandsPath);
    if (!commands) {
        err << "Unable to find \"commands.txt\" (" << commandsPath.toStdString() << ")\n";
        return 2;
    }
    // The install's own list, where the window has read it from its compiler;
    // it holds the userlibs too.
    const std::optional<std::string> compilerList =
        blitzPath.isEmpty() ? std::nullopt
                            : installcommands::ReadCache(installcommands::CachePath(layout.stateDir),
                                                         installcommands::Stamp(blitzPath));
    std::vector<std::string> userlibs;
    if (!blitzPath.isEmpty() && !compilerList)
        for (const std::string& path : DeclsNames(paths::ResolveOnDisk(paths::Join(blitzPath, QStringLiteral("userlibs")))))
            if (auto text = ReadRegular(QString::fromStdString(path)))
                userlibs.push_back(*text);

    const CUILabels labels = Labels(layout);
    int status = 0;
    for (const QString& file : files) {
        const QString absolute = QFileInfo(file).absoluteFilePath();
        SourceText main = ReadSourceFile(absolute, kMaxDocumentBytes);
        if (!main.ok()) {
            const QString why = UnreadableSource(labels, main, kMaxDocumentBytes);
            out << "Unable to open input file \"" << file.toStdString() << "\""
                << (why.isEmpty() ? std::string() : " (" + why.toStdString() + ")") << "\n";
            status = 1;
            continue;
        }
        std::vector<std::pair<std::string, std::string>> shipped;
        for (const std::string& path : DeclsNames(QFileInfo(absolute).absolutePath()))
            if (auto text = ReadRegular(QString::fromStdString(path)))
                shipped.emplace_back(std::filesystem::path(path).filename().string(), *text);
        lang::Program program;
        program.SetVocabulary(ReadVocabulary(compilerList ? *compilerList : *commands, userlibs, shipped));
        const std::string mainKey = lang::FileKey(absolute.toStdString());
        program.SetMainFile(mainKey);
        // Where each key was found, to name it as it is on disk, and how its
        // rows are the compiler's.
        std::map<std::string, std::pair<std::string, RowMap>> shown{
            {mainKey, {QDir::cleanPath(absolute).toStdString(), RowMap(main.bytes)}}};
        program.SetFile(mainKey, main.bytes);
        std::string().swap(main.bytes);  // the model keeps what it needs of it
        SourceReader reader([](const QString& path) { return ReadSourceFile(path, kMaxIncludeBytes); },
                            kIncludeDeadline);
        // Keys are lower-cased: the main file's own spelling finds them again
        // without listing its folders per file.
        paths::SpellingCache spellings;
        spellings.Learn(QDir::cleanPath(absolute));
        reader.SetFollow([mainDir = std::string(lang::FolderOf(mainKey)), ahead = spellings](
                             const QString&, const std::string& text) mutable {
            std::vector<QString> named;
            for (const std::string& path : lang::IncludePaths(text))
                if (const std::optional<std::string> key = lang::ResolveInclude(mainDir, path))
                    named.push_back(ahead.Resolve(QString::fromStdString(*key)));
            return named;
        });
        const auto give = [&](const std::string& key) {
            const QString onDisk = spellings.Resolve(QString::fromStdString(key));
            const SourceText text = reader.Get(onDisk);
            if (!text.ok()) {
                program.SetMissing(key, UnreadableSource(labels, text, kMaxIncludeBytes).toStdString());
                return false;
            }
            shown[key] = {onDisk.toStdString(), RowMap(text.bytes)};
            program.SetFile(key, text.bytes);
            return true;
        };
        // Every file the program reaches, each read once, before the program
        // is worked out once: a chain of includes costs no more per level.
        std::set<std::string> given{mainKey};
        for (std::vector<std::string> todo{mainKey}; !todo.empty();) {
            const std::string key = std::move(todo.back());
            todo.pop_back();
            for (std::string& next : program.IncludedBy(key))
                if (given.insert(next).second && give(next))
                    todo.push_back(std::move(next));
        }
        for (std::vector<std::string> needed = program.NeededFiles(); !needed.empty(); needed = program.NeededFiles())
            for (const std::string& key : needed)
                give(key);
        const std::vector<lang::Diagnostic> diagnostics = program.Diagnostics(warnings);
        for (int pass = 0; pass < (warnings ? 2 : 1); ++pass) {
            for (const lang::Diagnostic& d : diagnostics) {
                const bool warning = d.warning != lang::WarningKind::None;
                if (warning != (pass == 1))
                    continue;
                auto name = shown.find(d.file);
                std::uint32_t row = d.row, col = d.col;
                if (name != shown.end())
                    name->second.second.ToCompiler(row, col);
                if (d.placeless)
                    row = col = 65535;
                out << QuotedPath(name != shown.end() ? name->second.first : d.file) << ':' << row + 1 << ':'
                    << col + 1 << ':' << row + 1 << ':' << col + 1 << ':' << (warning ? "Warning: " : "")
                    << d.message << '\n';
                status = warning ? status : 1;
            }
        }
    }
    return status;
}

}  // namespace check
