#pragma once

#include "editor/DirtyLines.h"
#include "editor/EditCtrl.h"
#include "editor/Tokenizer.h"

#include "editor/QsciHeaders.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// One document's state in the editor: the control's document (text, undo
// history, styles, markers) and what the view must give back when the
// buffer is shown again.
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

    // Where the view stood when the buffer was last left.
    std::intptr_t anchor = 0;
    std::intptr_t caret = 0;
    int firstLine = 0;
    int xOffset = 0;

    // Colouring: the lines still to style, and the vocabulary and rules the
    // other lines were styled with.
    DirtyLines dirty;
    // Declared names whose colour changed, while lines wait to be checked
    // for them (lower case).
    std::vector<std::string> recolourNames;
    std::shared_ptr<const NameTable> styledCommands;
    std::shared_ptr<const NameTable> styledDeclared;
    LexRules styledRules;
    // Folding: the lines whose fold level is still to be worked out, and
    // the folds that were closed when the buffer was last left (the view,
    // not the document, keeps which folds are closed).
    DirtyLines folds;
    std::vector<int> closedFolds;
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
