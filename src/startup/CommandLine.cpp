#include "startup/CommandLine.h"

#include <QFileInfo>

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
