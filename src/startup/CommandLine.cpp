#include "startup/CommandLine.h"

QString GetCommandLineFiles(const QString& rawCommandLine)
{
    QString out;
    out.reserve(rawCommandLine.size());
    bool quoted = false;
    for (QChar c : rawCommandLine) {
        if (c == u'"')
            quoted = !quoted;
        out += (c == u' ' && !quoted) ? QChar(u'|') : c;
    }
    return out;
}

QStringList CommandLineDocuments(const QString& rawCommandLine)
{
    const QString list = GetCommandLineFiles(rawCommandLine);
    if (list.isEmpty())
        return {};
    QStringList items = list.split(u'|');
    for (QString& item : items)
        item.remove(u'"');
    return items;
}

QStringList CommandLineDocuments(const QStringList& arguments)
{
    QStringList items = arguments;
    for (QString& item : items)
        item.remove(u'"');
    return items;
}
