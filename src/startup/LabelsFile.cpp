#include "startup/LabelsFile.h"

#include "platform/Prompter.h"
#include "platform/Text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

LabelsParse ParseLabels(std::string_view contents)
{
    LabelsParse result;
    // The line counter is 16 bits wide: a file of 32767 lines or more cannot
    // be read.
    constexpr int kMaxLines = 32766;
    text::ForEachLine(text::SkipBom(contents), [&](std::string_view line, int lineNumber) {
        if (result.errorLine > 0)
            return;
        line = text::TrimBlanks(line);
        if (!line.empty() && line.front() != '#' && line.front() != '[') {
            const auto eq = line.find('=');
            // At least two characters must stand before the "=".
            if (eq == std::string_view::npos || eq < 2) {
                result.errorLine = lineNumber;
                return;
            }
            const QString key = text::FromBytes(text::TrimBlanks(line.substr(0, eq))).toLower();
            QString value = text::FromBytes(text::TrimBlanks(line.substr(eq + 1)));
            value.replace(QStringLiteral("\\n"), QStringLiteral("\r\n"));
            result.labels.add(value, key);
        }
        if (lineNumber > kMaxLines)
            throw std::runtime_error("Overflow: locale.txt has more than 32766 lines");
    });
    return result;
}

std::optional<CUILabels> LoadLabels(const QString& programDir, Prompter& prompter)
{
    const QString path = QDir(programDir).filePath(QStringLiteral("locale.txt"));
    QFile f(path);
    if (!QFileInfo(path).isFile() || !f.open(QIODevice::ReadOnly)) {
        prompter.Tell(QStringLiteral("Locale.txt not found!!"), MsgIcon::Critical);
        return std::nullopt;
    }
    const QByteArray bytes = f.readAll();
    LabelsParse parsed = ParseLabels(std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (parsed.errorLine > 0) {
        prompter.Tell(QStringLiteral("Parse error on locale.txt, line ") + QString::number(parsed.errorLine),
                      MsgIcon::Critical);
        return std::nullopt;
    }
    return std::move(parsed.labels);
}
