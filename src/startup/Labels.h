#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The table of user-interface texts read from locale.txt. Keys ignore case.
class CUILabels {
public:
    // Adds one entry (value first). Throws std::runtime_error when the key is
    // already present in any letter case.
    void add(const QString& value, const QString& key);
    // The text stored under `key`, or "DEF NOT FOUND: " and the key as given.
    QString getValue(const QString& key) const;
    // The same, with the English text for a locale.txt older than the label.
    QString getValue(const QString& key, const QString& english) const;
    // The text with %1, %2, ... filled in from `args` in one pass, so that an
    // argument holding "%1" stays as it is; a placeholder without an argument
    // stays, and one a translation leaves out is no error.
    QString format(const QString& key, const QStringList& args) const;
    bool contains(const QString& key) const;
    int count() const { return int(m_values.size()); }

private:
    QHash<QString, QString> m_values;  // keyed by the lower-cased key
};

struct SourceText;

// Why a source file could not be read, in words that go after the message
// saying so; "" when that message says enough.
QString UnreadableSource(const CUILabels& labels, const SourceText& text, qint64 limit);
