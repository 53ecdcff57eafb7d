#pragma once

#include "language/Lexer.h"

#include <algorithm>
#include <bit>
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
    // ours: nesting past what the stack of every walk over it can hold
    TooDeeplyNested,
    // warnings: what compiles but is most likely a mistake
    WarnNeverAssigned, WarnHidesGlobal, WarnMissingReturn,
};

// Whether the compiler accepts what the message is about.
inline bool IsWarning(Msg msg) { return msg >= Msg::WarnNeverAssigned; }

// The message as the compiler words it; a '%' stands for the name it is about.
const char* MsgText(Msg msg);

enum class ExprKind : std::uint8_t {
    IntConst, FloatConst, StringConst, Null,
    Var, Field, Vector, CallOrArray,  // CallOrArray: an array element when the name is a Dim'd array before it, else a call
    New, First, Last,
    Before, After, Handle, Object, Cast, Unary, Binary,
    Param,  // a function's parameter
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

// An expression. A file holds millions of them, so `a` and `b` mean what
// the kind needs, and FileSyntax reads them for the rest of the model: where
// a name is written (NameCol), a `.Type` tag (TypeOf), arguments (Items).
//   IntConst, FloatConst   the value, a double in a (low half) and b (ConstValue)
//   StringConst, Null      -
//   Var                    name written at b, tag; a `.Type` tag's type and column in the list words at a
//   Field                  a = the object; name = the field, written at b; tag
//   Vector                 a = the Blitz array a[i], b = the subscript
//   CallOrArray            name, tag; the arguments at a, b of them; in the list words after them the
//                          name's column, then a `.Type` tag's type and column
//   New, First, Last       name = the type, written at b
//   Before, After, Handle  a
//   Object                 a; name = the type, written at b
//   Cast                   a; tag = the type cast to
//   Unary                  op in '+', '-', '~', kAbs, kSgn, kNot; a
//   Binary                 op; a, b
//   Param                  name, tag; a = default; in the list words at b the name's column, then a
//                          `.Type` tag's type and column
struct Expr {
    ExprKind kind = ExprKind::IntConst;
    Tag tag = Tag::None;
    std::uint16_t op = 0;
    NameId name = kNoName;
    std::uint32_t a = 0, b = 0;
    SymRef sym;  // what the name binds to; the type for New/First/Last/Object
};

inline double ConstValue(const Expr& e)
{
    return std::bit_cast<double>(std::uint64_t(e.b) << 32 | e.a);
}
inline void SetConstValue(Expr& e, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    e.a = static_cast<std::uint32_t>(bits);
    e.b = static_cast<std::uint32_t>(bits >> 32);
}

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

// A statement; what its fields hold by kind is listed in Parser.cpp. Its
// row is its line's; the column of a parse error is FileSyntax::ErrorCol, a
// `.Type` tag's type FileSyntax::TypeOf.
struct Stmt {
    std::uint16_t token : 9 = 0;          // the first token's kind
    StmtKind kind : 6 = StmtKind::Stray;
    bool afterColon : 1 = false;          // a ':' stands between it and the statement before on its line
    Tag tag : 3 = Tag::None;
    bool parenthesized : 1 = false;       // a call written f(a, b)
    bool before : 1 = false;              // Insert ... Before
    bool typed : 1 = false;               // a `.Type` tag's type and column follow the list
    Msg error : 7 = Msg::None;            // the parse error in this statement, if any
    std::uint16_t sepGap = 0;  // how far before it the ':' stands, when afterColon
    std::uint16_t endGap = 0;  // how far after its start it ends (a statement longer than this ends here)
    std::uint32_t col = 0;
    std::uint32_t EndCol() const { return col + endGap; }
    void SetEndCol(std::uint32_t end) { endGap = static_cast<std::uint16_t>(std::min<std::uint32_t>(end - col, 0xffff)); }
    NameId name = kNoName;     // declared, called, labelled or jumped-to name; a ForEach/Delete Each type
    std::uint32_t nameCol = 0;
    std::uint32_t a = 0, b = 0, c = 0;  // expressions, by kind
    std::uint32_t list = 0, count = 0;  // arguments, parameters, subscripts, Case values, a For's step
    SymRef sym;                         // what a declaration declares
};

}  // namespace lang
