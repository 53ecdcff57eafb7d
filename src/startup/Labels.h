#pragma once

#include <QHash>
#include <QString>

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
    bool contains(const QString& key) const;
    int count() const { return int(m_values.size()); }

private:
    QHash<QString, QString> m_values;  // keyed by the lower-cased key
};
