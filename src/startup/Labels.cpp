#include "startup/Labels.h"

#include "platform/SourceFile.h"

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

QString CUILabels::format(const QString& key, const QStringList& args) const
{
    const QString label = getValue(key);
    QString out;
    out.reserve(label.size());
    for (qsizetype i = 0; i < label.size(); ++i) {
        const int n = i + 1 < label.size() ? label[i + 1].digitValue() : -1;
        if (label[i] == u'%' && n >= 1 && n <= args.size()) {
            out += args[n - 1];
            ++i;
        } else {
            out += label[i];
        }
    }
    return out;
}

bool CUILabels::contains(const QString& key) const
{
    return m_values.contains(key.toLower());
}

QString UnreadableSource(const CUILabels& labels, const SourceText& text, qint64 limit)
{
    switch (text.trouble) {
    case SourceText::Trouble::TooLarge:
        return labels
            .getValue(QStringLiteral("sourcetoolarge"), QStringLiteral("it is #size# MB; a source file may be #limit# MB at most"))
            .replace(QStringLiteral("#size#"), QString::number(text.size >> 20))
            .replace(QStringLiteral("#limit#"), QString::number(limit >> 20));
    case SourceText::Trouble::NoAnswer:
        return labels.getValue(QStringLiteral("sourcenoanswer"), QStringLiteral("reading it gave no answer in time"));
    default: return {};
    }
}
