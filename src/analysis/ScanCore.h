#pragma once

// What the scanner makes of one statement: the declarations it takes apart
// and the Include it names. Shared by the full scan, the rescan of edited
// lines and the scan of included files, so all three read a statement alike.

#include "analysis/Statements.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class StagedEntries;

namespace scan {

// The statement keywords a document is scanned for, and those of an
// included file: no locals, and its own includes are not followed.
constexpr unsigned kDocumentKeywords = kAllKeywords;
constexpr unsigned kIncludeKeywords = kAllKeywords & ~(1u << kLocal) & ~(1u << kInclude);

// Receives the declarations of a scan in the order they are met.
class DeclSink {
public:
    virtual ~DeclSink() = default;
    // A declaration of `kind` on `line` whose Name is `name` followed by
    // `nameTail` ("()" for arrays) and whose Key starts with `name`.
    virtual void Declared(int kind, int line, std::string_view name, std::string_view nameTail,
                          std::string_view returnType) = 0;
};

// Takes a statement's declarations apart (the kind table and the
// variable-name rule), reusing its buffers from statement to statement.
class Collector {
public:
    Collector(int lineSign, DeclSink& out) : m_lineSign(lineSign), m_out(out) {}

    // The declaration test of one statement, given where its keywords stand.
    // Labels are only looked for in the document itself.
    void Declaration(const Statement& st, bool labels);

private:
    std::string_view ItemText(std::string_view rest);
    void Items(Keyword k, std::string_view items);
    void Add(int kind, std::string_view name, std::string_view nameTail, std::string_view returnType)
    {
        m_out.Declared(kind, m_line, name, nameTail, returnType);
    }

    const int m_lineSign;
    DeclSink& m_out;
    int m_line = 0;
    std::string m_scratch;
    std::vector<std::string_view> m_items;
};

// What an Include statement asks for.
struct IncludeTest {
    // The whole statement is left alone: no declaration test either.
    bool leaveStatement = false;
    // The path between the quotes, when the statement names one.
    std::optional<std::string_view> path;
};
// The Include test of a statement whose "Include " starts at `pos`.
IncludeTest TestInclude(std::string_view stmt, std::size_t pos);

// Splits a declaration's items at the commas outside parentheses and double
// quotes; false when the text nests deeper than a 16-bit counter follows.
bool SplitItems(std::string_view text, std::vector<std::string_view>& items);

// Gives the window its turns during a long scan without asking the clock on
// every statement.
class Yielder {
public:
    Yielder(std::function<void()> yield, std::chrono::milliseconds interval);

    void Tick()
    {
        if ((++m_count & 255) == 0)
            Check();
    }
    // Asks the clock now: after a step that may take long by itself, such
    // as reading a file from a slow disk.
    void Check();

private:
    std::function<void()> m_yield;
    std::chrono::milliseconds m_interval;
    std::chrono::steady_clock::time_point m_last;
    unsigned m_count = 0;
};

// The declarations of an included file's text, with keys counted from 0.
void ScanIncludeText(std::string_view content, StagedEntries& out);

}  // namespace scan
