#pragma once

#include <QString>

#include <optional>
#include <string>
#include <string_view>

class CUILabels;

// The compiler's report of the error that stopped it, e.g.
//   "c:\games\mygame\player.bb":12:5:12:5:Expecting expression
// The fields after the quoted file name are split at every ":", so a message
// holding a colon is cut at that colon.
struct CompilerError {
    std::string file;
    int line = 0;        // as the compiler counts, from 1
    std::string column;  // shown as written, never converted
    std::string message;

    // The compiler writes `"":65536:65536:...` for an error it cannot place.
    bool HasPosition() const;
    // The column as a number; 1 (the line's start) when it is none.
    int ColumnNumber() const;
};

// A report line starts with a double quote; anything else is progress or a
// plain failure text.
bool IsErrorReport(std::string_view line);

// Takes a report line apart; nothing when it starts without a quote, has no
// closing quote, has fewer than six fields after it or a line field that is
// not a whole number.
std::optional<CompilerError> ParseErrorLine(std::string_view line);

// The "compileerr" label with its "#numline#", "#numcolumn#" and "#errstr#"
// placeholders filled in that order.
QString CompileErrorMessage(const QString& label, const CompilerError& error);

// The status panel after a message: its text followed by the message, with
// every CR LF pair turned into ". " so that a multi-line label stays on one
// line.
QString StatusWithMessage(const QString& current, const QString& message);

// The status text for a report line that ParseErrorLine cannot take.
QString UnreadableReportText(const CUILabels& labels, std::string_view line);

// What a finished build shows. The compiler ends with a non-zero status on
// every failure: after an error report line, or after a bare line when it
// cannot work at all ("Unable to open linker.dll"). Once it has handed over
// to the compiled program ("Executing..."), the status is the program's.
enum class BuildResult { Done, ErrorReport, Failure };
BuildResult JudgeBuild(std::string_view lastLine, int exitCode, bool crashed);

// What a Failure shows: the message says that the compiler failed, how it
// ended and its last line (a machine that cannot run the 32-bit compiler
// under Wine is told what to install); the status, the same in short, follows
// the launch text in the status bar.
struct FailureReport {
    QString message;
    QString status;
};
FailureReport DescribeFailure(const CUILabels& labels, std::string_view lastLine, int exitCode, bool crashed);

// The last line of the compiler's output without its line end (CR LF, LF or
// CR); "" for an empty output or one that ends with an empty line.
std::string_view LastLine(std::string_view output);

// LastLine of a file, reading only as much of its end as it takes. Nothing
// when the file cannot be read.
std::optional<std::string> ReadLastLine(const QString& path);
