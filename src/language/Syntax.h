#pragma once

#include "language/Lexer.h"

#include <cstdint>
#include <string>
#include <vector>

// The syntax tree of one file, statement by statement. Statements are kept
// flat, one record each, in the order they are written: a block's head
// (While, Function, block If...) and its end (Wend, End Function, EndIf) are
// statements of their own, and the block structure is matched afterwards
// over the statements' kinds. A one-line If is an IfLine head, the
// statements after it on the line, an optional Else, and ends with its line.
// Expressions are trees of Expr records held by the file, referred to by
// index (0 is "none").
namespace lang {

enum class Tag : std::uint8_t { None, Int, Float, Str, Custom };

// What the compiler may say, word for word; the text is in Diagnostics.cpp.
enum class Msg : std::uint8_t {
    None,
    // "Expecting ..."
    ExpExpression, ExpIdentifier, ExpEndOfLine, ExpEndOfFile, ExpIncludeFilename, ExpVariableAssignment,
    ExpExpressionSequence, ExpCloseParen, ExpOpenParen, ExpCloseBracket, ExpNext, ExpTo, ExpWend,
    ExpUntilOrForever, ExpEndIf, ExpEndFunction, ExpEndSelect, ExpCaseDefaultEndSelect, ExpFieldOrEndType,
    ExpBeforeOrAfter,
    // a block's end without its head
    NextWithoutFor, WendWithoutWhile, ElseWithoutIf, EndifWithoutIf, EndFunctionWithoutFunction,
    UntilWithoutRepeat, ForeverWithoutRepeat, CaseWithoutSelect, EndSelectWithoutSelect,
    MismatchedBrackets, ConstantsMustBeInitialized, UnableToOpenInclude,
    GlobalInFunction, ConstInFunction, TypeInFunction, FunctionInFunction, DataInFunction,
    // found when the names are bound
    FunctionNotFound, UserlibNotInstalled, TypeNotFound, TypeFieldNotFound, ArrayNotFound,
    UndefinedLabel, DuplicateIdentifier, DuplicateVariableName, DuplicateLabel, NotEnoughParameters,
    TooManyParameters, VariableTypeMismatch, IllegalTypeConversion, TypeMismatch, OperatorOnStrings,
    ExpressionMustBeConstant, ConstantsCannotBeAssigned, IncorrectSubscripts, GosubInFunction,
    ExitOutsideLoop, MainCannotReturn, MayNotBeUsedLikeThis,
    ArrayNotFoundInMain, DuplicateFunction, UndefinedLabelInFunction, TypeNameNotFound,
    CustomTypeNameNotFound, CustomTypeNameNameNotFound, NotANewTypeName, ArrayTypeMismatch,
    IncorrectDimensions, IllegalOperatorForType, IllegalOperatorForObjects, ArithmeticOnObjects,
    ObjectTypesDiffer, IllegalExpressionType, VariableMustBeType, VariableMustBeBlitzArray,
    SubscriptOutOfRange, BlitzArrayAssigned, BlitzArrayConstant, BlitzArraySizeConstant,
    BlitzArraySizeNegative, ZeroDimensionalArray, DivisionByZero, StepMustBeConstant, IndexMustBeNumber,
    IndexConstant, IndexNotNewType, SelectObjects, DataMustBeConstant, DataReadIntoObject, DeleteNonNewtype,
    HandleNeedsObject, BeforeNeedsObject, AfterNeedsObject, BeforeNull, AfterNull, FunctionReturnType,
    ConstantsCannotBeModified,
    // warnings: what compiles but is most likely a mistake
    WarnNeverAssigned, WarnHidesGlobal, WarnMissingReturn,
};

// Whether the compiler accepts what the message is about.
inline bool IsWarning(Msg msg) { return msg >= Msg::WarnNeverAssigned; }

// The message as the compiler words it; a '%' stands for the name it is about.
const char* MsgText(Msg msg);

enum class ExprKind : std::uint8_t {
    IntConst, FloatConst, StringConst, Null,
    Var,          // name, tag
    Field,        // a = object, name = field, tag
    Vector,       // a = base, list = one subscript: a Blitz array a[i]
    CallOrArray,  // name(list): an array element when the name is a Dim'd array before it, else a call
    New, First, Last,  // name = type
    Before, After, Handle,  // a
    Object,       // a, name = type
    Cast,         // a; tag = the type cast to
    Unary,        // op in '+', '-', '~', kAbs, kSgn, kNot; a
    Binary,       // op; a, b
    Param,        // a parameter: name, tag, typeName, a = default
};

// A bound name: which table, which entry. Units are the main program (0)
// and the functions (1 + function index); globals live in unit kGlobal.
struct SymRef {
    static constexpr std::uint32_t kNone = 0xffffffffu;
    static constexpr std::uint32_t kGlobal = 0xfffffffeu;
    std::uint32_t unit = kNone;
    std::uint32_t index = 0;
    bool operator==(const SymRef&) const = default;
    explicit operator bool() const { return unit != kNone; }
};

struct Expr {
    ExprKind kind = ExprKind::IntConst;
    Tag tag = Tag::None;
    std::uint16_t op = 0;
    std::uint32_t col = 0, endCol = 0;
    NameId name = kNoName;
    NameId typeName = kNoName;  // the type of a `.Type` tag
    std::uint32_t typeCol = 0;
    std::uint32_t a = 0, b = 0;
    std::uint32_t list = 0, count = 0;  // into FileSyntax::lists
    double value = 0;
    SymRef sym;  // what the name binds to; the type for New/First/Last/Object
};

enum class StmtKind : std::uint8_t {
    Stray,  // a token no statement starts with
    Include, Assign, Call,
    IfBlock, IfLine, ElseIfBlock, ElseIfLine, Else, EndIf,
    While, Wend, Repeat, Until, Forever,
    Select, Case, Default, EndSelect,
    For, ForEach, Next, Exit, Goto, Gosub, Return,
    Delete, DeleteEach, Insert, Read, Restore, Data,
    TypeHead, Field, EndType, Const, Global, Local, Dim,
    Function, EndFunction, Label, End,
};

struct Stmt {
    StmtKind kind = StmtKind::Stray;
    Tag tag = Tag::None;
    bool afterColon = false;   // a ':' stands between it and the statement before on its line
    bool parenthesized = false;  // a call written f(a, b)
    Msg error = Msg::None;     // the parse error in this statement, if any
    std::uint16_t token = 0;   // the first token's kind
    std::uint32_t row = 0;     // from 0
    std::uint32_t col = 0, endCol = 0;
    std::uint32_t sepCol = 0;  // the ':' before it when afterColon
    std::uint32_t errorCol = 0;
    NameId name = kNoName;     // declared, called, labelled or jumped-to name; a ForEach/Delete Each type
    std::uint32_t nameCol = 0, nameEnd = 0;
    NameId typeName = kNoName; // `.Type` of a declaration
    std::uint32_t typeCol = 0;
    std::uint32_t a = 0, b = 0, c = 0, d = 0;  // expressions, by kind (see Parser.cpp)
    std::uint32_t list = 0, count = 0;         // arguments, parameters, subscripts, Case values
    std::uint32_t text = 0, textLen = 0;       // an Include's file name, in FileSyntax::strings
    std::uint32_t aux = 0;     // an Include's column after the file name; 1 for Insert ... Before
    SymRef sym;                // what a declaration declares
};

}  // namespace lang
