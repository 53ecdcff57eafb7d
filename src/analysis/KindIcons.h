#pragma once

#include <QIcon>

// Small pictures that tell what a name is (command, global, type, function,
// label, constant, local), shared by the declaration list and the
// autocomplete list.
QIcon KindIcon(int kind);
