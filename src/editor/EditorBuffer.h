#pragma once

#include "editor/DirtyLines.h"
#include "editor/EditCtrl.h"
#include "editor/Tokenizer.h"

#include "editor/QsciHeaders.h"

#include <QByteArray>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class BlitzLexer;
class EditorView;

// One document's state in the editor: the control's document (text, undo
// history, styles, markers) and the view that shows it, made when the buffer
// is first shown and kept while it lives. The view holds what the control
// keeps per view (closed folds, line layouts, scroll position, caret), so a
// buffer shown again needs none of it rebuilt.
class EditorBuffer {
public:
    // The control releases a document through any live editor widget, and
    // crashes when there is none; this hidden one outlives every buffer.
    std::shared_ptr<QsciScintillaBase> releaser = Releaser();
    QsciDocument doc;
    // The file's encoding: UTF-8, else Windows-1252, the code page Blitz3D
    // sources are written in. The control holds UTF-8 either way; a
    // Windows-1252 file is converted as it is read and as it is saved.
    bool utf8 = false;
    int eolMode = QsciScintillaBase::SC_EOL_CRLF;
    // The line end that followed the text in its file; a save writes it
    // back, so an unedited file is saved byte for byte.
    QByteArray finalLineEnd = QByteArrayLiteral("\r\n");
    // The UTF-8 byte-order mark its file began with, if any: no character of
    // the text, but written back before it.
    QByteArray byteOrderMark;

    QPointer<EditorView> view;  // none until first shown; goes with the buffer
    BlitzLexer* lexer = nullptr;
    int lookVersion = -1;  // of the editor's look the view was last given

    // Colouring: the lines still to style, and the vocabulary and rules the
    // other lines were styled with.
    DirtyLines dirty;
    // Declared names whose colour changed, while lines wait to be checked
    // for them (lower case).
    std::vector<std::string> recolourNames;
    std::shared_ptr<const NameTable> styledCommands;
    std::shared_ptr<const NameTable> styledDeclared;
    LexRules styledRules;
    // Folding: the lines whose fold level is still to be worked out.
    DirtyLines folds;
    int caretMarkLine = -1;  // where the current-line mark of the gutter was put
    // The build error marked here, and which mark it was: one that is no
    // longer the editor's current one goes when the buffer is next shown.
    int errorMarkHandle = -1;
    int errorMarkNumber = 0;
    int executionHandle = -1;
    int executionLineHandle = -1;
    int executionNumber = 0;
    // The messages of the diagnostics marked here, by indicator value, and
    // whether any line may carry a diagnostic's margin symbol.
    std::unordered_map<int, QString> diagnosticTexts;
    int nextDiagnosticId = 1;
    bool diagnosticLines = false;
    // Every diagnostic of the document, and the lines (from 0) whose are marked.
    std::vector<EditorDiagnostic> diagnostics;
    int placedFrom = 0, placedTo = -1;

    EditorBuffer()
    {
        dirty.Reset(1, true);
        folds.Reset(1, true);
    }
    EditorBuffer(const EditorBuffer&) = delete;
    EditorBuffer& operator=(const EditorBuffer&) = delete;
    // The view goes first, while the document it shows is still alive.
    ~EditorBuffer();

private:
    static std::shared_ptr<QsciScintillaBase> Releaser()
    {
        static std::weak_ptr<QsciScintillaBase> shared;
        std::shared_ptr<QsciScintillaBase> widget = shared.lock();
        if (!widget) {
            widget = std::make_shared<QsciScintillaBase>();
            shared = widget;
        }
        return widget;
    }
};
