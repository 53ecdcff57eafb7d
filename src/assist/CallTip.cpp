#include "assist/CallTip.h"

#include "assist/Words.h"
#include "help/HelpPages.h"
#include "language/TokenRules.h"
#include "platform/Paths.h"
#include "platform/Text.h"

#include <QFileInfo>

#include <algorithm>

namespace {

// More command names than this before the caret are beyond what the tip
// looks back over; only the nearest ones count.
constexpr std::size_t kMaxCandidates = 200;

std::string ParamText(const EditorKeywordParam& p)
{
    return p.Optional ? "[" + p.Name + "]" : p.Name;
}

}  // namespace

std::optional<CallTipMatch> FindCallTip(std::string_view line, int endColumn, int tabWidth,
                                        const std::vector<TipToken>& tokens,
                                        const EditorKeywordList& vocabulary)
{
    endColumn = std::max(endColumn, 0);
    tabWidth = std::max(tabWidth, 1);

    // The caret's column and the line as the token columns see them. The
    // byte under the caret is counted too, as the tokens were measured.
    const std::string_view head = line.substr(0, std::size_t(endColumn) + 1);
    const long long tabs = std::count(head.begin(), head.end(), '\t');
    const long long col = endColumn + (tabWidth - 1) * tabs;
    std::string expanded;
    expanded.reserve(head.size() + std::size_t(tabs) * std::size_t(tabWidth));
    for (char c : head) {
        if (c == '\t')
            expanded.append(std::size_t(tabWidth), ' ');
        else
            expanded += c;
    }

    std::vector<const TipToken*> candidates;
    for (const TipToken& t : tokens) {
        if (t.Kind != kKindCommand)
            continue;
        if (t.StartColumn + (long long)t.Text.size() >= col + 1)
            break;
        candidates.push_back(&t);
    }

    const std::size_t considered = std::min(candidates.size(), kMaxCandidates);
    for (std::size_t i = 0; i < considered; ++i) {
        const TipToken& t = *candidates[candidates.size() - 1 - i];
        // 1-based columns: the name ends at `afterName` - 1.
        long long afterName = t.StartColumn + (long long)t.Text.size() + 1;
        // Mid$( and Rnd#( call as directly as Mid( does.
        if (afterName - 1 < (long long)expanded.size() && afterName >= 1
            && IsTypeSuffix(expanded[std::size_t(afterName - 1)]))
            ++afterName;
        int opens = 0, closes = 0, commas = 0;
        bool direct = false;
        for (long long pos = std::max(afterName, 1LL); pos <= col; ++pos) {
            if (std::size_t(pos - 1) >= expanded.size())
                break;
            const char c = expanded[std::size_t(pos - 1)];
            if (c == '(') {
                ++opens;
                if (pos == afterName)
                    direct = true;
            } else if (c == ')') {
                ++closes;
            } else if (c == ',' && opens - (direct ? 1 : 0) <= closes) {
                ++commas;
            }
        }
        // A call whose own parentheses are closed is finished: look further
        // left for the call it is an argument of.
        if (direct && opens <= closes)
            continue;
        EditorKeywordPtr entry = vocabulary.FindPtr(text::ToLower(t.Text));
        if (!entry || commas + 1 > int(entry->Params.size()))
            return std::nullopt;
        return CallTipMatch{std::move(entry), commas + 1};
    }
    return std::nullopt;
}

std::vector<TipToken> NameTokens(std::string_view line, int endColumn, char commentChar, char stringChar)
{
    const auto isName = [](char c) { return lang::tokens::IsNameChar(static_cast<unsigned char>(c)); };
    std::vector<TipToken> names;
    const std::size_t end = std::min(line.size(), std::size_t(std::max(endColumn, 0)));
    bool inString = false;
    for (std::size_t i = 0; i < end;) {
        const char c = line[i];
        if (c == stringChar) {
            inString = !inString;
        } else if (!inString && c == commentChar) {
            break;
        } else if (!inString && isName(c) && !(c >= '0' && c <= '9')) {
            std::size_t j = i;
            while (j < line.size() && isName(line[j]))
                ++j;
            if (j <= end && (i == 0 || (line[i - 1] != '\\' && line[i - 1] != '.' && line[i - 1] != '$')))
                names.push_back({0, int(i), line.substr(i, j - i)});
            i = j;
            continue;
        } else if (!inString && c >= '0' && c <= '9') {
            // A number's digits and letters (1e5, $FF) are no name.
            while (i < end && isName(line[i]))
                ++i;
            continue;
        }
        ++i;
    }
    return names;
}

CallTipText MakeCallTipText(const EditorKeyword& entry, int argumentIndex)
{
    CallTipText t;
    t.before = entry.Name + " ";
    for (std::size_t i = 0; i < entry.Params.size(); ++i) {
        const int index = int(i) + 1;
        if (i > 0)
            (index <= argumentIndex ? t.before : t.after) += ',';
        (index < argumentIndex ? t.before : index == argumentIndex ? t.bold : t.after) +=
            ParamText(entry.Params[i]);
    }
    return t;
}

std::string CommandSignature(const EditorKeyword& entry)
{
    std::string params;
    for (const EditorKeywordParam& p : entry.Params)
        params += p.Optional ? "[," + p.Name + "]" : "," + p.Name;
    // The comma before the first parameter goes; it stands inside the
    // bracket when that parameter is optional ("Print [string$]").
    if (const auto comma = params.find(','); comma != std::string::npos)
        params.erase(comma, 1);
    return params.empty() ? entry.Name : entry.Name + " " + params;
}

bool CommandHelp::WantsPage(std::string_view word, const EditorKeywordList& vocabulary) const
{
    const std::string_view w = text::TrimBlanks(word);
    return !w.empty() && w == m_lastHelpWord && vocabulary.Find(text::ToLower(w));
}

CommandHelp::Action CommandHelp::Request(std::string_view word, const EditorKeywordList& vocabulary,
                                         const QString& helpDir)
{
    const std::string_view w = text::TrimBlanks(word);
    if (w.empty())
        return {Action::ClearPanel, {}};

    Action action;
    if (w != m_lastHelpWord) {
        if (const EditorKeyword* entry = vocabulary.Find(text::ToLower(w)))
            action = {Action::ShowText, text::FromBytes(CommandSignature(*entry))};
        else
            action = {Action::ClearPanel, {}};
    } else if (const std::optional<QString> page = help::FindCommandPage(helpDir, text::FromBytes(w))) {
        action = {Action::OpenPage, *page};
    } else if (const EditorKeyword* entry = vocabulary.Find(text::ToLower(w))) {
        // Said rather than nothing happening, so the user knows where to look.
        action = {QFileInfo(paths::ResolveOnDisk(helpDir)).isDir() ? Action::NoPage : Action::NoHelpFolder,
                  text::FromBytes(entry->Name)};
    }
    m_lastHelpWord = std::string(w);
    return action;
}

std::optional<CallTipMatch> FindProgramCallTip(std::string_view line, int endColumn, std::vector<TipToken> tokens,
                                               const EditorKeywordList* vocabulary, lang::Program* program,
                                               const programnames::LineText& lineText, char commentChar,
                                               char stringChar)
{
    EditorKeywordList calls;
    for (const TipToken& t : tokens)
        if (EditorKeywordPtr command = vocabulary ? vocabulary->FindPtr(text::ToLower(t.Text)) : nullptr;
            command && !calls.Find(command->Key))
            calls.Add(std::move(command));
    if (program) {
        const std::size_t commands = tokens.size();
        for (const TipToken& name : NameTokens(line, endColumn, commentChar, stringChar)) {
            const std::string lower = text::ToLower(name.Text);
            if (calls.Find(lower))
                continue;
            if (const std::optional<lang::SymbolInfo> function = program->FunctionNamed(lower)) {
                tokens.push_back({kKindCommand, name.StartColumn, name.Text});
                calls.Add(programnames::CallableOf(*function, lineText));
            }
        }
        if (tokens.size() != commands)
            std::sort(tokens.begin(), tokens.end(),
                      [](const TipToken& a, const TipToken& b) { return a.StartColumn < b.StartColumn; });
    }
    return FindCallTip(line, endColumn, 1, tokens, calls);
}
