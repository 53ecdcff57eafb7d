// The requests on places and documents: each one a query of the program
// model or of the window's code assistance, turned into the protocol's terms.
#include "lsp/Server.h"

#include "assist/CallTip.h"
#include "assist/Completion.h"
#include "assist/EditorRouting.h"
#include "navigation/ProgramEdits.h"
#include "model/ProgramNames.h"
#include "assist/SourceWords.h"
#include "assist/Words.h"
#include "help/HelpPages.h"
#include "language/Program.h"
#include "platform/SourceFile.h"
#include "platform/Text.h"

#include <QJsonArray>

#include <algorithm>
#include <map>

namespace lsp {

namespace {

// The protocol's numbers for kinds of symbol and of completion.
namespace symbolkind {
constexpr int kFunction = 12, kVariable = 13, kConstant = 14, kArray = 18, kKey = 20, kField = 8, kStruct = 23;
}
namespace completionkind {
constexpr int kFunction = 3, kField = 5, kVariable = 6, kReference = 18, kConstant = 21, kStruct = 22;
}
// Semantic token types and modifiers, in the order the legend lists them.
enum TokenType { kTokVariable, kTokParameter, kTokFunction, kTokType, kTokProperty, kTokLabel };
enum TokenModifier { kModDeclaration = 1, kModReadonly = 2, kModStatic = 4 };

// Styles carry only the kind here: the client colours.
const DeclStyles& Styles()
{
    static const DeclStyles styles = [] {
        const auto style = [](int kind) { return std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}); };
        return DeclStyles{style(kKindGlobal), style(kKindType),  style(kKindFunction),
                          style(kKindLabel),  style(kKindConst), style(kKindLocal)};
    }();
    return styles;
}

int SymbolKindOf(lang::SymbolKind kind)
{
    switch (kind) {
    case lang::SymbolKind::Constant: return symbolkind::kConstant;
    case lang::SymbolKind::Array: return symbolkind::kArray;
    case lang::SymbolKind::Function: return symbolkind::kFunction;
    case lang::SymbolKind::Type: return symbolkind::kStruct;
    case lang::SymbolKind::Field: return symbolkind::kField;
    case lang::SymbolKind::Label: return symbolkind::kKey;
    default: return symbolkind::kVariable;
    }
}

std::pair<int, int> TokenOf(lang::SymbolKind kind)
{
    switch (kind) {
    case lang::SymbolKind::Constant: return {kTokVariable, kModReadonly | kModStatic};
    case lang::SymbolKind::Global:
    case lang::SymbolKind::Array: return {kTokVariable, kModStatic};
    case lang::SymbolKind::Local: return {kTokVariable, 0};
    case lang::SymbolKind::Parameter: return {kTokParameter, 0};
    case lang::SymbolKind::Function: return {kTokFunction, 0};
    case lang::SymbolKind::Type: return {kTokType, 0};
    case lang::SymbolKind::Field: return {kTokProperty, 0};
    case lang::SymbolKind::Label: return {kTokLabel, 0};
    }
    return {kTokVariable, 0};
}

int CompletionKindOf(int keywordKind, bool fields)
{
    if (fields)
        return completionkind::kField;
    switch (keywordKind) {
    case kKindCommand:
    case kKindFunction: return completionkind::kFunction;
    case kKindType: return completionkind::kStruct;
    case kKindConst: return completionkind::kConstant;
    case kKindLabel: return completionkind::kReference;
    default: return completionkind::kVariable;
    }
}

// Where the word that ends at `col` begins, its type character included, as
// the window's list replaces it.
int WordStart(std::string_view line, int col)
{
    int start = std::min(col, int(line.size()));
    while (start > 0 && !IsWordDelimiter(line[std::size_t(start) - 1]))
        --start;
    return start;
}

QString Text(const std::string& s) { return QString::fromUtf8(s.data(), qsizetype(s.size())); }

std::string Trimmed(std::string_view s) { return std::string(text::TrimBlanks(s)); }

}  // namespace

Server::Reply Server::Definition(const Place& at)
{
    const std::optional<lang::Range> place = at.program->Definition(at.key, at.row, at.col);
    if (!place)
        return {QJsonValue::Null};
    return {LocationJson(place->file, place->row, place->col, place->endCol)};
}

Server::Reply Server::References(const Place& at, const QJsonObject& params)
{
    const bool withDeclaration =
        params.value(QLatin1String("context")).toObject().value(QLatin1String("includeDeclaration")).toBool(true);
    const std::optional<lang::Range> declaration = at.program->Definition(at.key, at.row, at.col);
    QJsonArray out;
    for (const lang::Range& r : at.program->References(at.key, at.row, at.col))
        if (withDeclaration || !declaration || !(r == *declaration))
            out.append(LocationJson(r.file, r.row, r.col, r.endCol));
    return {out};
}

Server::Reply Server::PrepareRename(const Place& at)
{
    const ProgramLineText lines = [this](std::string_view key, std::uint32_t row) { return LineText(std::string(key), row); };
    const RenamePlanned name = NameToRename(*at.program, lines, at.key, at.row, at.col);
    if (name.spelled.empty())
        return Reply::Error(kRequestFailed, m_setup.labels.getValue(QStringLiteral("nothingtorename")));
    for (const lang::Range& r : at.program->References(at.key, at.row, at.col))
        if (r.file == at.key && r.row == at.row && at.col >= r.col && at.col <= r.endCol)
            return {QJsonObject{{QLatin1String("range"), RangeJson(at.key, r.row, r.col, r.endCol)},
                                {QLatin1String("placeholder"), Text(name.spelled)}}};
    return {QJsonValue::Null};
}

Server::Reply Server::Rename(const Place& at, const QString& newName)
{
    const ProgramLineText lines = [this](std::string_view key, std::uint32_t row) { return LineText(std::string(key), row); };
    const RenamePlanned plan = PlanRename(*at.program, lines, at.key, at.row, at.col, newName.toStdString());
    if (plan.spelled.empty())
        return Reply::Error(kRequestFailed, m_setup.labels.getValue(QStringLiteral("nothingtorename")));
    if (!plan.refusal.empty())
        return Reply::Error(kRequestFailed, Text(plan.refusal));
    if (plan.changedSince)
        return Reply::Error(kRequestFailed, m_setup.labels.getValue(QStringLiteral("changedsince")));
    QJsonObject changes;
    for (const FileEdits& file : plan.edits) {
        QJsonArray edits;
        for (const TextEdit& e : file.edits)
            edits.append(QJsonObject{{QLatin1String("range"), RangeJson(file.key, e.row, e.col, e.endCol)},
                                     {QLatin1String("newText"), Text(e.text)}});
        changes.insert(UriOf(file.key), edits);
    }
    return {QJsonObject{{QLatin1String("changes"), changes}}};
}

Server::Reply Server::Completion(const Place& at, const QJsonObject& params)
{
    const std::string line = LineText(at.key, at.row);
    const int col = std::min(int(at.col), int(line.size()));
    // A character that opens a list as it is typed opens it where the
    // window's typing would: a blank only after New, Each and the like.
    const QJsonObject context = params.value(QLatin1String("context")).toObject();
    const QByteArray typed = context.value(QLatin1String("triggerCharacter")).toString().toLatin1();
    if (context.value(QLatin1String("triggerKind")).toInt() == 2 && typed.size() == 1) {
        const CharAddedAction action = OnCharAdded(typed[0], line, col, false, false);
        if (action.kind != CharAddedAction::ShowTypeList && action.kind != CharAddedAction::ShowFieldList)
            return {QJsonObject{{QLatin1String("isIncomplete"), false}, {QLatin1String("items"), QJsonArray()}}};
    }
    const CompletionRequest request = OnCtrlSpace(line, col, false);
    if (request.kind == CompletionRequest::Nothing)
        return {QJsonArray()};
    const programnames::LineText lines = [this](const std::string& key, std::uint32_t row) { return LineText(key, row); };
    const int start = WordStart(line, col);
    lang::Program& program = *at.program;
    EditorKeywordListPtr lead, rest;
    const bool fields = request.kind == CompletionRequest::ShowFieldList;
    if (fields) {
        const std::vector<lang::SymbolInfo> found = program.FieldsAt(at.key, at.row, line, std::uint32_t(start));
        rest = programnames::ListOf(found, programnames::TypesOf(found, program), lines, Styles());
    } else if (request.kind == CompletionRequest::ShowTypeList) {
        const std::vector<lang::SymbolInfo> types = program.Types();
        rest = programnames::ListOf(types, types, lines, Styles());
    } else {
        programnames::NamesAtPlace names = programnames::CompletionNames(program, at.key, at.row, col, lines, Styles());
        lead = std::move(names.lead);
        rest = std::move(names.rest);
    }
    // Only names that start with what is typed: the client narrows further.
    const std::string prefix = text::ToLower(GetWordBeforeCaret(line, col, false, false));
    QJsonArray items;
    const QJsonObject range = RangeJson(at.key, at.row, std::uint32_t(start), std::uint32_t(col));
    const auto add = [&](const EditorKeywordList* list, const char* order) {
        if (!list)
            return;
        for (const EditorKeywordPtr& e : *list) {
            const std::string name = e->Name.substr(0, e->Name.find('.'));
            if (text::ToLower(std::string_view(name).substr(0, prefix.size())) != prefix)
                continue;
            const std::string detail = e->Kind() == kKindCommand ? CommandSignature(*e) : CompletionList::RowText(*e);
            items.append(QJsonObject{
                {QLatin1String("label"), Text(name)},
                {QLatin1String("kind"), CompletionKindOf(e->Kind(), fields)},
                {QLatin1String("detail"), Text(detail)},
                {QLatin1String("sortText"), QLatin1String(order) + Text(text::ToLower(name))},
                {QLatin1String("textEdit"), QJsonObject{{QLatin1String("range"), range}, {QLatin1String("newText"), Text(name)}}}});
        }
    };
    add(lead.get(), "0");
    add(rest.get(), "1");
    if (request.kind == CompletionRequest::ShowCompletion)
        add(m_setup.commands.get(), "2");
    return {QJsonObject{{QLatin1String("isIncomplete"), false}, {QLatin1String("items"), items}}};
}

Server::Reply Server::SignatureHelp(const Place& at)
{
    const std::string line = LineText(at.key, at.row);
    const int col = std::min(int(at.col), int(line.size()));
    std::vector<TipToken> tokens;
    for (const TipToken& t : NameTokens(line, col, m_setup.commentChar, m_setup.stringChar))
        if (m_setup.commands && m_setup.commands->Find(text::ToLower(t.Text)))
            tokens.push_back({kKindCommand, t.StartColumn, t.Text});
    const programnames::LineText lines = [this](const std::string& key, std::uint32_t row) { return LineText(key, row); };
    const std::optional<CallTipMatch> match = FindProgramCallTip(line, col, std::move(tokens), m_setup.commands.get(),
                                                                 at.program, lines, m_setup.commentChar,
                                                                 m_setup.stringChar);
    if (!match)
        return {QJsonValue::Null};
    QJsonArray parameters;
    for (int i = 1; i <= int(match->entry->Params.size()); ++i) {
        const CallTipText part = MakeCallTipText(*match->entry, i);
        const qsizetype from = Text(part.before).size();
        parameters.append(QJsonObject{{QLatin1String("label"), QJsonArray{from, from + Text(part.bold).size()}}});
    }
    const QJsonObject signature{{QLatin1String("label"), Text(MakeCallTipText(*match->entry, 1).full())},
                                {QLatin1String("parameters"), parameters}};
    return {QJsonObject{{QLatin1String("signatures"), QJsonArray{signature}},
                        {QLatin1String("activeSignature"), 0},
                        {QLatin1String("activeParameter"), match->argumentIndex - 1}}};
}

Server::Reply Server::Hover(const Place& at)
{
    const std::string line = LineText(at.key, at.row);
    const std::optional<words::NameAtCaret> name = words::NameAt(line, int(at.col), m_setup.commentChar, m_setup.stringChar);
    if (!name)
        return {QJsonValue::Null};
    QString value;
    if (const std::optional<lang::Range> place = at.program->Definition(at.key, at.row, at.col)) {
        value = QStringLiteral("```blitzbasic\n%1\n```").arg(Text(Trimmed(LineText(place->file, place->row))));
        if (place->file != at.key)
            value += QStringLiteral("\n\n%1, line %2").arg(UriOf(place->file).section(QLatin1Char('/'), -1)).arg(place->row + 1);
    } else if (const EditorKeywordPtr command =
                   m_setup.commands ? m_setup.commands->FindPtr(text::ToLower(name->name)) : nullptr;
               command && name->context == words::NameAtCaret::Plain) {
        value = QStringLiteral("```blitzbasic\n%1\n```").arg(Text(CommandSignature(*command)));
        if (const std::optional<QString> page = help::FindCommandPage(m_setup.helpDir, Text(command->Name))) {
            const SourceText html = ReadSourceFile(*page, qint64(1) << 20);
            const QString summary = help::CommandPageSummary(
                text::IsValidUtf8(html.bytes) ? Text(html.bytes) : QString::fromLatin1(html.bytes.data(), qsizetype(html.bytes.size())), 6);
            if (!summary.isEmpty())
                value += QStringLiteral("\n\n") + summary;
        }
    } else {
        return {QJsonValue::Null};
    }
    return {QJsonObject{
        {QLatin1String("contents"), QJsonObject{{QLatin1String("kind"), QStringLiteral("markdown")}, {QLatin1String("value"), value}}},
        {QLatin1String("range"), RangeJson(at.key, at.row, std::uint32_t(name->start), std::uint32_t(name->end))}}};
}

Server::Reply Server::DocumentSymbols(const std::string& key, lang::Program& program)
{
    const programnames::LineText lines = [this](const std::string& k, std::uint32_t row) { return LineText(k, row); };
    struct Entry {
        QJsonObject symbol;
        QJsonArray children;
        std::uint32_t lastRow = 0;
    };
    std::vector<Entry> top;
    std::map<std::pair<lang::SymbolKind, std::string>, std::size_t> parents;  // a type's or function's entry
    std::vector<lang::SymbolInfo> symbols = program.Symbols();
    std::erase_if(symbols, [&](const lang::SymbolInfo& s) {
        return s.place.file != key || s.kind == lang::SymbolKind::Local || s.kind == lang::SymbolKind::Parameter;
    });
    std::stable_sort(symbols.begin(), symbols.end(), [](const lang::SymbolInfo& a, const lang::SymbolInfo& b) {
        return a.place.row < b.place.row;
    });
    const auto symbolJson = [&](const lang::SymbolInfo& s) {
        const std::uint32_t lineEnd = std::uint32_t(LineText(key, s.place.row).size());
        QString detail = Text(s.typeText);
        if (s.kind == lang::SymbolKind::Function) {
            QStringList params;
            for (const std::string& p : s.params)
                params << Text(p);
            detail = QStringLiteral("(%1)%2").arg(params.join(QStringLiteral(", ")), detail);
        }
        return QJsonObject{{QLatin1String("name"), Text(programnames::Spelling(s, lines))},
                           {QLatin1String("detail"), detail},
                           {QLatin1String("kind"), SymbolKindOf(s.kind)},
                           {QLatin1String("range"), RangeJson(key, s.place.row, 0, lineEnd)},
                           {QLatin1String("selectionRange"), RangeJson(key, s.place.row, s.place.col, s.place.endCol)}};
    };
    // Types and functions first, so that fields and labels find them.
    for (const lang::SymbolInfo& s : symbols)
        if (s.kind == lang::SymbolKind::Type || s.kind == lang::SymbolKind::Function) {
            parents[{s.kind, s.name}] = top.size();
            top.push_back({symbolJson(s), {}, s.place.row});
        }
    for (const lang::SymbolInfo& s : symbols) {
        if (s.kind == lang::SymbolKind::Type || s.kind == lang::SymbolKind::Function)
            continue;
        const lang::SymbolKind parentKind = s.kind == lang::SymbolKind::Field ? lang::SymbolKind::Type : lang::SymbolKind::Function;
        const auto parent = s.container.empty() ? parents.end() : parents.find({parentKind, s.container});
        if (parent == parents.end()) {
            top.push_back({symbolJson(s), {}, s.place.row});
            continue;
        }
        Entry& e = top[parent->second];
        e.children.append(symbolJson(s));
        e.lastRow = std::max(e.lastRow, s.place.row);
    }
    std::stable_sort(top.begin(), top.end(), [](const Entry& a, const Entry& b) {
        return a.symbol.value(QLatin1String("selectionRange")).toObject().value(QLatin1String("start")).toObject().value(QLatin1String("line")).toInt() <
               b.symbol.value(QLatin1String("selectionRange")).toObject().value(QLatin1String("start")).toObject().value(QLatin1String("line")).toInt();
    });
    QJsonArray out;
    for (Entry& e : top) {
        if (!e.children.isEmpty()) {
            // The parent's range holds its children's.
            QJsonObject range = e.symbol.value(QLatin1String("range")).toObject();
            range.insert(QLatin1String("end"), PositionJson(key, e.lastRow, std::uint32_t(LineText(key, e.lastRow).size())));
            e.symbol.insert(QLatin1String("range"), range);
            e.symbol.insert(QLatin1String("children"), e.children);
        }
        out.append(e.symbol);
    }
    return {out};
}

Server::Reply Server::WorkspaceSymbols(const QString& query)
{
    constexpr std::size_t kLimit = 500;
    const programnames::LineText lines = [this](const std::string& k, std::uint32_t row) { return LineText(k, row); };
    std::set<std::tuple<std::string, std::uint32_t, std::uint32_t>> seen;
    QJsonArray out;
    for (lang::Program* p : Programs()) {
        for (const lang::SymbolInfo& s : p->MatchSymbols(query.toStdString(), kLimit)) {
            if (!seen.insert({s.place.file, s.place.row, s.place.col}).second)
                continue;
            QJsonObject symbol{{QLatin1String("name"), Text(programnames::Spelling(s, lines))},
                               {QLatin1String("kind"), SymbolKindOf(s.kind)},
                               {QLatin1String("location"), LocationJson(s.place.file, s.place.row, s.place.col, s.place.endCol)}};
            if (!s.container.empty())
                symbol.insert(QLatin1String("containerName"), Text(s.container));
            out.append(symbol);
        }
    }
    return {out};
}

Server::Reply Server::SemanticTokens(const std::string& key, lang::Program& program, std::uint32_t first, std::uint32_t end)
{
    QJsonArray data;
    std::uint32_t lastRow = 0, lastStart = 0;
    std::uint32_t row = ~0u;
    std::string line;
    for (const lang::NameUse& use : program.NamesOn(key, first, end)) {
        if (use.row != row) {
            row = use.row;
            line = LineText(key, row);
        }
        const std::uint32_t start = UnitColumn(line, use.col, m_encoding);
        const std::uint32_t length = UnitColumn(line, use.endCol, m_encoding) - start;
        const auto [type, modifiers] = TokenOf(use.kind);
        data.append(qint64(use.row - lastRow));
        data.append(qint64(use.row == lastRow ? start - lastStart : start));
        data.append(qint64(length));
        data.append(type);
        data.append(modifiers | (use.declaration ? kModDeclaration : 0));
        lastRow = use.row;
        lastStart = start;
    }
    return {QJsonObject{{QLatin1String("data"), data}}};
}

}  // namespace lsp
