#pragma once

#include <QIcon>

#include <functional>

// Small pictures that tell what a name is (command, global, type, function,
// label, constant, local), shared by the declaration list and the
// autocomplete list. They are the main window's small pictures, picked by
// the kind's picture number.
QIcon KindIcon(int kind);
// The small picture of a kind code: 17 command, 1 global, 10 type,
// 13 function, 12 label, 14 constant, 18 kind 7, 20 locals and the rest.
int KindPicture(int kind);
// A field's own picture: fields share the types' colour, not their picture.
QIcon FieldIcon();
// Where the pictures come from, by picture number; until the main window
// sets it, kinds show no picture.
void SetKindPictures(std::function<QIcon(int picture)> pictures);
