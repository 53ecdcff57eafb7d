#pragma once

#include "editor/Keywords.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// Reads an included file as bytes; nullopt when it cannot be opened.
using IncludeReader = std::function<std::optional<std::string>(const QString& path)>;

struct ScanOptions {
    // Called now and then during a long scan, at most once per
    // `yieldInterval`, so the window can handle pending events.
    std::function<void()> yield;
    std::chrono::milliseconds yieldInterval{20};
    // Where included files come from; empty means the disk, where a path
    // using "\" or another letter case than the names on disk still finds
    // its file.
    IncludeReader readInclude;
};

// What one scan found. It belongs to the text it was made from: the caller
// stores it with the document the scan started on.
struct ScanResult {
    // The names the document and its includes declare.
    EditorKeywordListPtr DocKeywords;
    // Every include path met, once each, in the order first met.
    QStringList Includes;
};

// Collects the declarations of a document's text (lines end at CR LF, LF or
// CR) and of the files it includes. Relative include paths are taken from
// `fileDir`, the document's folder. The text must stay as it is until the
// scan returns, window events run by the yield included: pass a copy of the
// editor's text, not a view of its live buffer. Never throws: a statement
// that cannot be taken apart is left out.
ScanResult ScanDocument(std::string_view text, const QString& fileDir, const DeclStyles& styles,
                        const ScanOptions& options = {});
