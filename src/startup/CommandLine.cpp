#include "startup/CommandLine.h"

#include <QFileInfo>

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
    for (QString& item : items) {
        item.remove(u'"');
        // A name typed in a shell is relative to the shell's folder, which
        // the compiler, running in its own folder, would not find.
        if (!item.isEmpty())
            item = QFileInfo(item).absoluteFilePath();
    }
    return items;
}
