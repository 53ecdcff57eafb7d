#pragma once

#include "editor/EditCtrl.h"

#include "support/Wait.h"

#include <QAbstractScrollArea>

// Lets queued work (colouring, deferred checks) run until the editor has
// coloured everything.
inline void FinishColouring(EditCtrl& editor)
{
    Pump();
    WaitUntil([&] { return !editor.ColouringPending(); }, 10000);
}

// The view of the document in front.
inline QAbstractScrollArea* FrontView(EditCtrl& editor)
{
    return qobject_cast<QAbstractScrollArea*>(editor.focusProxy());
}

inline EditorKeywordListPtr KeywordsOf(std::initializer_list<std::pair<const char*, int>> names)
{
    auto list = std::make_shared<EditorKeywordList>();
    for (const auto& [name, kind] : names)
        list->Add(EditorKeyword{name, name, std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0}), {}, {}, 0, '?'});
    return list;
}

// The middle of the character at a column (bytes, from 0) of a line (from
// 1), where the editor draws it.
inline QPoint CharCentre(const EditCtrl& editor, int line, int column)
{
    const QByteArray text = editor.Text();
    qint64 at = 0;
    for (int l = 1; l < line; ++l)
        at = text.indexOf('\n', at) + 1;
    return editor.SpanRect({at + column, at + column + 1}).center();
}

// A look where every kind of token has a colour of its own.
inline EditorAppearance DistinctColours()
{
    EditorAppearance a;
    int red = 1;
    for (Color* c : {&a.TextColor, &a.CommentColor, &a.StringColor, &a.NumberColor, &a.OperatorColor, &a.KeywordColor,
                     &a.VarColor, &a.TypeColor, &a.FunctionColor, &a.LabelColor, &a.ConstColor, &a.LocalColor})
        *c = Rgb(red++, 0, 0);
    return a;
}
