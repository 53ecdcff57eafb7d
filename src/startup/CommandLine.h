#pragma once

#include <QString>
#include <QStringList>

// The files to open from the raw process command line: names separated by
// blanks, a name holding blanks in double quotes. Items are separated by "|";
// quotes stay in the result (callers remove them). Two blanks in a row give an
// empty item.
QString GetCommandLineFiles(const QString& rawCommandLine);

// The document paths to open at start-up: the "|" items of
// GetCommandLineFiles with every double quote removed. On systems whose
// shell already split the command line, the arguments are the items, made
// absolute against the folder the program was started in.
QStringList CommandLineDocuments(const QString& rawCommandLine);
QStringList CommandLineDocuments(const QStringList& arguments);
