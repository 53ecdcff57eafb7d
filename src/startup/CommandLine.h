#pragma once

#include <QString>
#include <QStringList>

// The document paths to open at start-up: the program's arguments, each a
// file name as the shell split them, with every double quote removed and
// made absolute against the folder the program was started in. An empty
// argument stays an empty item.
QStringList CommandLineDocuments(const QStringList& arguments);
