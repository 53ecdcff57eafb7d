#pragma once

#include "editor/EditCtrl.h"

#include "support/Wait.h"

// Lets queued work (colouring, deferred checks) run until the editor has
// coloured everything.
inline void FinishColouring(EditCtrl& editor)
{
    Pump();
    WaitUntil([&] { return !editor.ColouringPending(); }, 10000);
}

inline EditorKeywordListPtr KeywordsOf(std::initializer_list<std::pair<const char*, int>> names)
{
    auto list = std::make_shared<EditorKeywordList>();
    for (const auto& [name, kind] : names) {
        EditorKeyword e;
        e.Name = name;
        e.Key = name;
        e.Style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kind, 0});
        list->Add(std::move(e));
    }
    return list;
}

// A look where every kind of token has a colour of its own.
inline EditorAppearance DistinctColours()
{
    EditorAppearance a;
    a.TextColor = Rgb(1, 0, 0);
    a.CommentColor = Rgb(2, 0, 0);
    a.StringColor = Rgb(3, 0, 0);
    a.NumberColor = Rgb(4, 0, 0);
    a.OperatorColor = Rgb(5, 0, 0);
    a.KeywordColor = Rgb(6, 0, 0);
    a.VarColor = Rgb(7, 0, 0);
    a.TypeColor = Rgb(8, 0, 0);
    a.FunctionColor = Rgb(9, 0, 0);
    a.LabelColor = Rgb(10, 0, 0);
    a.ConstColor = Rgb(11, 0, 0);
    a.LocalColor = Rgb(12, 0, 0);
    return a;
}
