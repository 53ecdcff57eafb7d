#include "editor/Vocabulary.h"

#include "platform/Paths.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "startup/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>
#include <string>

namespace {

std::runtime_error Malformed(std::string_view what, std::string_view line)
{
    return std::runtime_error(std::string(what) + ": \"" + std::string(line) + "\"");
}

// Reads a whole file; the loaders treat any failure as fatal.
std::string ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Cannot read \"" + path.toStdString() +
                                 "\": " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error("Cannot read \"" + path.toStdString() +
                                 "\": " + file.errorString().toStdString());
    return bytes.toStdString();
}

// Runs one line's parsing, naming the file and line in any error.
template <typename Fn>
void AtLine(const QString& path, int number, Fn&& parse)
{
    try {
        parse();
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(QFileInfo(path).fileName().toStdString() + " line " +
                                 std::to_string(number) + ": " + e.what());
    }
}

}  // namespace

CommandLineParts ParseCommandLine(std::string_view line)
{
    line = text::TrimBlanks(line);
    const std::size_t paren = line.find('(');
    if (paren != std::string_view::npos) {
        if (paren + 1 == line.size())
            throw Malformed("\"(\" is the last character of the command", line);
        return {text::TrimBlanks(line.substr(0, paren)),
                line.substr(paren + 1, line.size() - paren - 2)};
    }
    const std::size_t blank = line.find(' ');
    if (blank != std::string_view::npos)
        return {line.substr(0, blank), line.substr(blank + 1)};
    return {line, std::nullopt};
}

std::optional<DeclLineParts> ParseDeclLine(std::string_view line)
{
    line = text::TrimBlanks(line);
    if (line.empty() || line.front() == '.' || line.front() == ';')
        return std::nullopt;
    line = line.substr(0, line.find(':'));

    DeclLineParts parts;
    std::string_view namePart = line;
    const std::size_t open = line.find('(');
    if (open != std::string_view::npos) {
        const std::size_t close = line.find(')', open + 1);
        if (close == std::string_view::npos)
            throw Malformed("\"(\" without \")\" in the declaration", line);
        parts.params = line.substr(open + 1, close - open - 1);
        namePart = line.substr(0, open);
    }
    namePart = text::TrimBlanks(namePart);
    if (!namePart.empty() && std::string_view("%$#*").find(namePart.back()) != std::string_view::npos) {
        parts.returnType = namePart.substr(namePart.size() - 1);
        namePart.remove_suffix(1);
    }
    parts.name = namePart;
    return parts;
}

std::vector<EditorKeywordParam> ParseParams(std::string_view text)
{
    // "x[,y]" reads as "x,[y]": the bracket may open before its comma.
    std::string normal(text);
    for (std::size_t at = normal.find("[,"); at != std::string::npos; at = normal.find("[,", at + 2))
        normal.replace(at, 2, ",[");

    std::vector<EditorKeywordParam> params;
    const std::string_view all = text::TrimBlanks(normal);
    if (all.empty())
        return params;
    std::size_t pos = 0;
    while (true) {
        const std::size_t comma = all.find(',', pos);
        std::string_view piece = text::TrimBlanks(all.substr(pos, comma - pos));
        EditorKeywordParam param;
        if (!piece.empty() && piece.front() == '[') {
            if (piece.size() < 2)
                throw Malformed("a parameter is a lone \"[\"", text);
            param.Optional = true;
            piece = piece.substr(1, piece.size() - 2);
        }
        param.Name = std::string(piece);
        params.push_back(std::move(param));
        if (comma == std::string_view::npos)
            break;
        pos = comma + 1;
    }
    return params;
}

void ParseParams(EditorKeyword& entry, std::string_view text)
{
    auto params = ParseParams(text);
    entry.Params.append(params.begin(), params.end());
}

void AddCommands(std::string_view bytes, const QString& path, const EditorKeywordStylePtr& style,
                 EditorKeywordList& list)
{
    text::ForEachLine(text::SkipBom(bytes), [&](std::string_view line, int number) {
        AtLine(path, number, [&] {
            const CommandLineParts parts = ParseCommandLine(line);
            EditorKeyword entry;
            entry.Name = std::string(parts.name);
            // Brackets mark a command that gives a value; the compiler's own
            // list also types it on the name ("Chr$(ascii)").
            entry.Result = line.find('(') == std::string_view::npos ? ' ' : '?';
            if (!entry.Name.empty() && std::string_view("%#$").find(entry.Name.back()) != std::string_view::npos) {
                entry.Result = entry.Name.back();
                entry.Name.pop_back();
            }
            if (parts.params)
                ParseParams(entry, *parts.params);
            entry.Key = text::ToLower(entry.Name);
            entry.Style = style;
            list.Add(std::move(entry));
        });
    });
}

void AddDecls(std::string_view bytes, const QString& path, const EditorKeywordStylePtr& style,
              EditorKeywordList& list)
{
    text::ForEachLine(text::SkipBom(bytes), [&](std::string_view line, int number) {
        AtLine(path, number, [&] {
            const std::optional<DeclLineParts> parts = ParseDeclLine(line);
            if (!parts)
                return;
            EditorKeyword entry;
            entry.Style = style;
            entry.Name = std::string(parts->name);
            entry.ReturnType = std::string(parts->returnType);
            entry.Result = parts->returnType.size() == 1 && parts->returnType != "*" ? parts->returnType[0] : '?';
            if (parts->params)
                ParseParams(entry, *parts->params);
            entry.Key = text::ToLower(entry.Name);
            list.Add(std::move(entry));
        });
    });
}

bool LoadCommands(const Settings& settings, const QString& programDir, EditorKeywordList& list,
                  Prompter& prompter)
{
    auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, settings.CommandsColor});

    const QString path = paths::ResolveOnDisk(paths::Absolute(programDir, settings.Commands));
    if (!QFileInfo(path).isFile()) {
        prompter.Tell(QStringLiteral("Unable to find \"commands.txt\""), MsgIcon::Critical);
        return false;
    }

    AddCommands(ReadAll(path), path, style, list);
    return true;
}

void LoadDecls(const Settings& settings, EditorKeywordList& list)
{
    auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, settings.CommandsColor});

    const QString dirPath = paths::ResolveOnDisk(paths::Join(settings.B3DRoot(), QStringLiteral("userlibs")));
    if (settings.B3DDir.isEmpty() || !QFileInfo(dirPath).isDir())
        return;
    QDir dir(dirPath);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        if (!name.endsWith(QStringLiteral(".decls"), Qt::CaseInsensitive))
            continue;
        const QString path = dir.filePath(name);
        AddDecls(ReadAll(path), path, style, list);
    }
}
