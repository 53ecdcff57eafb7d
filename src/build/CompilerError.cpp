#include "build/CompilerError.h"

#include "platform/Text.h"
#include "startup/Labels.h"

#include <QFile>

#include <charconv>
#include <vector>

namespace {

constexpr int kNoPositionLine = 65536;
constexpr std::size_t kFieldCount = 6;

bool IsLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

std::string_view WithoutLineEnd(std::string_view s)
{
    while (!s.empty() && IsLineEnd(s.back()))
        s.remove_suffix(1);
    return s;
}

std::optional<int> WholeNumber(std::string_view s)
{
    s = text::TrimBlanks(s);
    if (s.empty())
        return std::nullopt;
    int value = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (ec != std::errc() || end != s.data() + s.size() || value < 0)
        return std::nullopt;
    return value;
}

}  // namespace

bool CompilerError::HasPosition() const
{
    return line >= 1 && !(file.empty() && line == kNoPositionLine);
}

int CompilerError::ColumnNumber() const
{
    return WholeNumber(column).value_or(1);
}

bool IsErrorReport(std::string_view line)
{
    return !line.empty() && line.front() == '"';
}

std::optional<CompilerError> ParseErrorLine(std::string_view line)
{
    if (!IsErrorReport(line))
        return std::nullopt;
    const std::size_t closing = line.find('"', 1);
    if (closing == std::string_view::npos)
        return std::nullopt;

    std::string_view rest = WithoutLineEnd(line.substr(closing + 1));
    std::vector<std::string_view> fields;
    while (fields.size() < kFieldCount) {
        const std::size_t colon = rest.find(':');
        fields.push_back(rest.substr(0, colon));
        if (colon == std::string_view::npos)
            break;
        rest.remove_prefix(colon + 1);
    }
    if (fields.size() < kFieldCount)
        return std::nullopt;

    const std::optional<int> number = WholeNumber(fields[1]);
    if (!number)
        return std::nullopt;

    CompilerError error;
    error.file = std::string(line.substr(1, closing - 1));
    error.line = *number;
    error.column = std::string(fields[2]);
    error.message = std::string(fields[5]);
    return error;
}

QString CompileErrorMessage(const QString& label, const CompilerError& error)
{
    QString message = label;
    message.replace(QStringLiteral("#numline#"), QString::number(error.line));
    message.replace(QStringLiteral("#numcolumn#"), text::FromBytes(error.column));
    message.replace(QStringLiteral("#errstr#"), text::FromBytes(error.message));
    return message;
}

QString StatusWithMessage(const QString& current, const QString& message)
{
    return text::ReplaceAll(current + message, QStringLiteral("\r\n"), QStringLiteral(". "));
}

QString UnreadableReportText(const CUILabels& labels, std::string_view line)
{
    return labels.format(QStringLiteral("unreadablereport"), {text::FromBytes(WithoutLineEnd(line))});
}

BuildResult JudgeBuild(std::string_view lastLine, int exitCode, bool crashed)
{
    if (IsErrorReport(lastLine))
        return BuildResult::ErrorReport;
    if ((exitCode != 0 || crashed) && WithoutLineEnd(lastLine) != "Executing...")
        return BuildResult::Failure;
    return BuildResult::Done;
}

FailureReport DescribeFailure(const CUILabels& labels, std::string_view lastLine, int exitCode, bool crashed)
{
    const std::string_view line = text::TrimBlanks(WithoutLineEnd(lastLine));
    // What the shell says when Wine's 32-bit loader cannot be executed on a
    // machine without 32-bit support.
    if (line.find("Exec format error") != std::string_view::npos)
        return {labels.getValue(QStringLiteral("compilerno32bit")),
                labels.getValue(QStringLiteral("compilerno32bitstatus"))};
    const QStringList code{QString::number(exitCode)};
    const QString how = crashed ? labels.getValue(QStringLiteral("compilercrashed"))
                                : labels.format(QStringLiteral("compilerfailed"), code);
    const QString status = crashed ? labels.getValue(QStringLiteral("compilercrashedstatus"))
                                   : labels.format(QStringLiteral("compilerfailedstatus"), code);
    if (line.empty())
        return {labels.format(QStringLiteral("compilersilent"), {how}), status};
    const QString last = text::FromBytes(line);
    return {labels.format(QStringLiteral("compilerlastline"), {how, last}),
            labels.format(QStringLiteral("compilerlaststatus"), {status, last})};
}

std::string_view LastLine(std::string_view output)
{
    // One line end closes the last line; a second one before it means the
    // last line is empty.
    if (!output.empty() && output.back() == '\n')
        output.remove_suffix(1);
    if (!output.empty() && output.back() == '\r')
        output.remove_suffix(1);
    for (std::size_t i = output.size(); i > 0; --i)
        if (IsLineEnd(output[i - 1]))
            return output.substr(i);
    return output;
}

std::optional<std::string> ReadLastLine(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const qint64 size = f.size();
    // A compile-and-run output holds everything the program printed, which
    // may be large; the last line is almost always in the final few bytes.
    qint64 tail = 4096;
    for (;;) {
        tail = std::min(tail, size);
        if (!f.seek(size - tail))
            return std::nullopt;
        const QByteArray bytes = f.read(tail);
        if (bytes.size() != tail)
            return std::nullopt;
        const std::string_view all(bytes.constData(), std::size_t(bytes.size()));
        const std::string_view last = LastLine(all);
        // The line is complete when a line end stands before it in what was
        // read, or when the whole file was read.
        if (tail == size || last.data() != all.data())
            return std::string(last);
        tail *= 2;
    }
}
