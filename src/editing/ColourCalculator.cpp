#include "editing/ColourCalculator.h"

#include <QDir>
#include <QStandardPaths>

namespace editing {

QString ColourText(Color colour, bool hexadecimal)
{
    const int rgb[] = {RedOf(colour), GreenOf(colour), BlueOf(colour)};
    if (hexadecimal) {
        QString text = QStringLiteral("$");
        for (int c : rgb)
            text += QStringLiteral("%1").arg(c, 2, 16, QLatin1Char('0')).toUpper();
        return text;
    }
    return QStringLiteral("%1,%2,%3").arg(rgb[0]).arg(rgb[1]).arg(rgb[2]);
}

QStringList CalculatorPrograms()
{
#ifdef Q_OS_WIN
    return {QStringLiteral("calc")};
#else
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
            QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
#endif
}

QString FindCalculator(const QStringList& folders)
{
    // An empty list would make the lookup fall back on the process's PATH.
    if (folders.isEmpty())
        return {};
    for (const QString& program : CalculatorPrograms()) {
        const QString path = QStandardPaths::findExecutable(program, folders);
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QStringList SearchPath()
{
    return qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
}

}  // namespace editing
