#pragma once

#include "analysis/SourceWords.h"
#include "analysis/TypeFields.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class DocScanner;

// A place in a document (an empty file) or in a file it includes: a line
// from 1 and a column in bytes from 0.
struct SourcePlace {
    QString file;
    int line = 0;
    int column = 0;
    bool operator==(const SourcePlace&) const = default;
};

// What a lookup reads besides the document's own text.
struct NavigationContext {
    // The document's declarations and its includes', as the last scan of the
    // same text found them.
    const DocScanner& scan;
    // An included file's text by its path on disk; nullopt when unreadable.
    std::function<std::optional<std::string>(const QString& path)> readFile;
    // The built-in commands, declared nowhere (asked in any letter case).
    std::function<bool(std::string_view name)> isCommand;
    char commentChar = ';';
    char stringChar = '"';
};

// Where the name at a caret of the document `text` (line from 1, column in
// bytes from 0) is declared, resolved as the language does: a parameter or
// Local of the function the caret is in (or of the main program) before a
// Global, Const, array, Type or Function of the same name; after "\" the
// field of the type the names before it lead to (p\x, a\b\x, First T\x);
// after "." or New, Each, First and Last a type; after Goto, Gosub and
// Restore a label. Names compare in any letter case and without their type
// characters. A variable used without a declaration, which the language makes
// a local, leads to its first use in its function. Nothing for a command, a
// statement word, a string, a comment, or a name declared nowhere.
std::optional<SourcePlace> FindDefinition(std::string_view text, int line, int column,
                                          const NavigationContext& context);

// The fields a caret right after a "\" asks for, or in the field name typed
// after it (p\, p\na, a\b\): those of the type the names before the "\"
// lead to, resolved as FindDefinition resolves them, with the file the type
// is declared in (empty: the document). An included file that `readFile`
// does not give is not read: its fields are those the scan kept of it.
struct FieldsOfAType {
    QString file;
    std::vector<TypeField> fields;
};
std::optional<FieldsOfAType> FieldsAt(std::string_view text, int line, int column, const NavigationContext& context);

// One use of a name found by FindReferences.
struct Reference {
    QString file;  // empty: the document
    int line = 0;
    int column = 0;
    std::string lineText;
    bool operator==(const Reference&) const = default;
};

// Every use of `name` in the document and then in each file it includes, in
// order: whole words in any letter case, with or without a type character,
// outside strings and comments.
std::vector<Reference> FindReferences(std::string_view text, std::string_view name,
                                      const NavigationContext& context);
