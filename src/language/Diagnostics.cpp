#include "language/Checker.h"

#include <algorithm>

namespace lang {

const char* MsgText(Msg msg)
{
    switch (msg) {
    case Msg::None: return "";
    case Msg::ExpExpression: return "Expecting expression";
    case Msg::ExpIdentifier: return "Expecting identifier";
    case Msg::ExpEndOfLine: return "Expecting end-of-line";
    case Msg::ExpEndOfFile: return "Expecting end-of-file";
    case Msg::ExpIncludeFilename: return "Expecting include filename";
    case Msg::ExpVariableAssignment: return "Expecting variable assignment";
    case Msg::ExpExpressionSequence: return "Expecting expression sequence";
    case Msg::ExpCloseParen: return "Expecting ')'";
    case Msg::ExpOpenParen: return "Expecting '('";
    case Msg::ExpCloseBracket: return "Expecting ']'";
    case Msg::ExpNext: return "Expecting 'Next'";
    case Msg::ExpTo: return "Expecting 'TO'";
    case Msg::ExpWend: return "Expecting 'Wend'";
    case Msg::ExpUntilOrForever: return "Expecting 'Until' or 'Forever'";
    case Msg::ExpEndIf: return "Expecting 'EndIf'";
    case Msg::ExpEndFunction: return "Expecting 'End Function'";
    case Msg::ExpEndSelect: return "Expecting 'End Select'";
    case Msg::ExpCaseDefaultEndSelect: return "Expecting 'Case', 'Default' or 'End Select'";
    case Msg::ExpFieldOrEndType: return "Expecting 'Field' or 'End Type'";
    case Msg::ExpBeforeOrAfter: return "Expecting 'Before' or 'After'";
    case Msg::NextWithoutFor: return "'Next' without 'For'";
    case Msg::WendWithoutWhile: return "'Wend' without 'While'";
    case Msg::ElseWithoutIf: return "'Else' without 'If'";
    case Msg::EndifWithoutIf: return "'Endif' without 'If'";
    case Msg::EndFunctionWithoutFunction: return "'End Function' without 'Function'";
    case Msg::UntilWithoutRepeat: return "'Until' without 'Repeat'";
    case Msg::ForeverWithoutRepeat: return "'Forever' without 'Repeat'";
    case Msg::CaseWithoutSelect: return "'Case' without 'Select'";
    case Msg::EndSelectWithoutSelect: return "'End Select' without 'Select'";
    case Msg::MismatchedBrackets: return "Mismatched brackets";
    case Msg::ConstantsMustBeInitialized: return "Constants must be initialized";
    case Msg::UnableToOpenInclude: return "Unable to open include file";
    case Msg::GlobalInFunction: return "'Global' can only appear in main program";
    case Msg::ConstInFunction: return "'Const' can only appear in main program";
    case Msg::TypeInFunction: return "'Type' can only appear in main program";
    case Msg::FunctionInFunction: return "'Function' can only appear in main program";
    case Msg::DataInFunction: return "'Data' can only appear in main program";
    case Msg::FunctionNotFound:
    case Msg::UserlibNotInstalled: return "Function '%' not found";
    case Msg::TypeNotFound: return "Type \"%\" not found";
    case Msg::TypeFieldNotFound: return "Type field not found";
    case Msg::ArrayNotFound: return "Array not found";
    case Msg::UndefinedLabel: return "Undefined label '%'";
    case Msg::DuplicateIdentifier: return "Duplicate identifier";
    case Msg::DuplicateVariableName: return "Duplicate variable name";
    case Msg::DuplicateLabel: return "duplicate label";
    case Msg::NotEnoughParameters: return "Not enough parameters";
    case Msg::TooManyParameters: return "Too many parameters";
    case Msg::VariableTypeMismatch: return "Variable type mismatch";
    case Msg::IllegalTypeConversion: return "Illegal type conversion";
    case Msg::TypeMismatch: return "Type mismatch";
    case Msg::OperatorOnStrings: return "Operator cannot be applied to strings";
    case Msg::ExpressionMustBeConstant: return "Expression must be constant";
    case Msg::ConstantsCannotBeAssigned: return "Constants can not be assigned to";
    case Msg::IncorrectSubscripts: return "Incorrect number of subscripts";
    case Msg::GosubInFunction: return "'Gosub' may not be used inside a function";
    case Msg::ExitOutsideLoop: return "break must appear inside a loop";
    case Msg::MainCannotReturn: return "Main program cannot return a value";
    case Msg::MayNotBeUsedLikeThis: return "Identifier '%' may not be used like this";
    }
    return "";
}

namespace {

Diag MakeDiag(std::uint32_t file, std::uint32_t row, std::uint32_t col, std::uint32_t endCol, Msg msg)
{
    Diag d;
    d.file = file;
    d.row = row;
    d.col = col;
    d.endCol = endCol;
    d.msg = msg;
    return d;
}

}  // namespace

std::string MessageText(const Model& m, const Diag& d)
{
    std::string text = MsgText(d.msg);
    if (const std::size_t hole = text.find('%'); hole != std::string::npos)
        text.replace(hole, 1, m.names.Text(d.name));
    if (d.msg == Msg::UserlibNotInstalled)
        text += " (\"" + d.extra + "\" beside the program declares it; copy it into the userlibs folder)";
    return text;
}

std::vector<Diagnostic> Program::Diagnostics()
{
    m->Refresh();
    struct Keyed {
        std::uint64_t ordinal;
        std::uint32_t col;
        const Diag* d;
    };
    std::vector<Diag> parsed;
    for (std::uint32_t file : m->order) {
        const FileState& fs = m->files[file];
        const FileSyntax& f = fs.syntax;
        for (std::uint32_t row = 0; f.ErrorCount() && row < f.LineCount(); ++row) {
            const Stmt* s = f.LineStmts(row);
            for (std::uint32_t k = 0; k < f.Lines()[row].count; ++k)
                if (s[k].error != Msg::None)
                    parsed.push_back(MakeDiag(file, row, s[k].errorCol, std::max(s[k].endCol, s[k].errorCol + 1), s[k].error));
        }
        for (const BlockDiag& b : f.BlockDiags()) {
            Diag d = MakeDiag(file, 0, 0, 0, b.msg);
            f.Place(b, d.row, d.col);
            d.endCol = d.row < f.LineCount() && b.at == BlockDiag::At::Stmt ? f.At(b.pos).endCol : d.col + 1;
            parsed.push_back(d);
        }
        for (const IncludeSite& site : fs.sites) {
            if (site.target >= 0 && !(m->files[site.target].given && m->files[site.target].missing))
                continue;
            const Stmt& s = f.At(site.pos);
            parsed.push_back(MakeDiag(file, s.row, s.aux, std::max(s.endCol, s.aux + 1), Msg::UnableToOpenInclude));
        }
    }
    std::vector<Keyed> keyed;
    for (const Diag& d : parsed)
        keyed.push_back(Keyed{m->Ordinal(d.file, d.row), d.col, &d});
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        return a.ordinal != b.ordinal ? a.ordinal < b.ordinal : a.col < b.col;
    });
    std::vector<Diagnostic> out;
    out.reserve(keyed.size() + m->declDiags.size() + (m->units.empty() ? 0 : m->units[0].diags.size()));
    const auto emit = [&](const Diag& d) {
        out.push_back(Diagnostic{m->files[d.file].key, d.row, d.col, d.endCol, MessageText(*m, d)});
    };
    for (const Keyed& k : keyed)
        emit(*k.d);
    for (const Diag& d : m->declDiags)
        emit(d);
    if (m->units.empty())
        return out;
    // The main program's statements in reading order (a partial check adds
    // at the end), its labels after them.
    // Each place is worked out once: a program with thousands of problems
    // is sorted at every pause.
    std::vector<std::pair<bool, Keyed>> main;
    for (const Diag& d : m->units[0].diags)
        main.push_back({d.msg == Msg::UndefinedLabel, Keyed{m->Ordinal(d.file, d.row), d.col, &d}});
    std::stable_sort(main.begin(), main.end(), [](const auto& a, const auto& b) {
        if (a.first != b.first)
            return b.first;
        return a.second.ordinal != b.second.ordinal ? a.second.ordinal < b.second.ordinal : a.second.col < b.second.col;
    });
    for (const auto& [label, k] : main)
        emit(*k.d);
    std::vector<std::pair<std::uint64_t, std::uint32_t>> functions;
    for (std::uint32_t i = 1; i < m->units.size(); ++i)
        if (!m->units[i].diags.empty())
            functions.emplace_back(m->Ordinal(m->units[i].file, m->files[m->units[i].file].syntax.Functions()[m->units[i].function].head.row), i);
    std::sort(functions.begin(), functions.end());
    for (const auto& f : functions)
        for (const Diag& d : m->units[f.second].diags)
            emit(d);
    return out;
}

}  // namespace lang
