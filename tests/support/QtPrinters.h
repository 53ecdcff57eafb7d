#pragma once

#include <QByteArray>
#include <QString>

#include <iosfwd>

// GoogleTest shows these as quoted text instead of lists of characters: a
// QString in UTF-8, a QByteArray byte for byte, with line ends, control
// characters and (for bytes) everything beyond ASCII escaped. The build puts
// this header in front of every test file, so a value prints the same way
// in each of them.
void PrintTo(const QString& text, std::ostream* os);
void PrintTo(const QByteArray& bytes, std::ostream* os);
