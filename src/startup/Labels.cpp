#include "startup/Labels.h"

#include <stdexcept>

void CUILabels::add(const QString& value, const QString& key)
{
    const QString k = key.toLower();
    if (m_values.contains(k))
        throw std::runtime_error("This key is already associated with an element of this collection: "
                                 + key.toStdString());
    m_values.insert(k, value);
}

QString CUILabels::getValue(const QString& key) const
{
    auto it = m_values.constFind(key.toLower());
    if (it == m_values.constEnd())
        return QStringLiteral("DEF NOT FOUND: ") + key;
    return *it;
}

QString CUILabels::getValue(const QString& key, const QString& english) const
{
    return m_values.value(key.toLower(), english);
}

bool CUILabels::contains(const QString& key) const
{
    return m_values.contains(key.toLower());
}
