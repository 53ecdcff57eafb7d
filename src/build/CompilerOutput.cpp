#include "build/CompilerOutput.h"

#include "platform/Paths.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"

#include <QFileInfo>

namespace {

bool IsContinuationByte(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where to cut a line that is too long: before a character that the cut
// would split, so each part stays readable as UTF-8.
std::size_t CutPoint(const std::string& line)
{
    for (std::size_t back = 1; back <= 3 && back <= line.size(); ++back) {
        const auto c = static_cast<unsigned char>(line[line.size() - back]);
        if ((c & 0xC0) == 0x80)
            continue;
        const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return length > back ? line.size() - back : line.size();
    }
    return line.size();
}

}  // namespace

std::vector<OutputLine> CompilerOutputReader::Add(std::string_view bytes)
{
    std::vector<OutputLine> lines;
    for (const char c : bytes) {
        if (std::exchange(m_afterCr, false) && c == '\n')
            continue;  // the LF of a CR LF whose CR ended the line
        if (c == '\r' || c == '\n') {
            m_afterCr = c == '\r';
            lines.push_back(Classify(std::exchange(m_partial, {})));
        } else {
            // Only once more follows, so that a line of exactly the length
            // is not followed by an empty one.
            if (m_partial.size() >= kMaxLine) {
                const std::size_t cut = CutPoint(m_partial);
                std::string rest = m_partial.substr(cut);
                m_partial.resize(cut);
                lines.push_back(Classify(std::exchange(m_partial, std::move(rest))));
            }
            m_partial.push_back(c);
        }
    }
    return lines;
}

std::optional<OutputLine> CompilerOutputReader::Finish()
{
    m_afterCr = false;
    if (m_partial.empty())
        return std::nullopt;
    return Classify(std::exchange(m_partial, {}));
}

OutputLine CompilerOutputReader::Classify(std::string line)
{
    OutputLine out;
    if (!m_programRuns)
        out.error = ParseErrorLine(line);
    // The compiler's last word before it hands over to the program.
    if (text::TrimSpace(line) == "Executing...")
        m_programRuns = true;
    out.text = std::move(line);
    return out;
}

std::optional<QString> ReportedFileOnDisk(std::string_view reported)
{
    // The compiler writes names in the Windows code page.
    const std::string utf8 =
        text::IsValidUtf8(reported) ? std::string(reported) : text::Windows1252ToUtf8(reported);
    const std::optional<QString> local = paths::LocalPath(QString::fromStdString(utf8));
    if (!local || !paths::IsAbsolute(*local))
        return std::nullopt;
    const QString onDisk = paths::ResolveOnDisk(*local);
    if (!QFileInfo(onDisk).isFile())
        return std::nullopt;
    return onDisk;
}

int EditorColumn(std::string_view line, int compilerColumn, bool fileIsUtf8)
{
    const std::size_t wanted = compilerColumn > 1 ? std::size_t(compilerColumn) - 1 : 0;
    std::size_t pos = 0;
    if (fileIsUtf8) {
        pos = std::min(wanted, line.size());
        while (pos > 0 && pos < line.size() && IsContinuationByte(line[pos]))
            --pos;
    } else {
        for (std::size_t characters = 0; pos < line.size() && characters < wanted; ++characters) {
            ++pos;
            while (pos < line.size() && IsContinuationByte(line[pos]))
                ++pos;
        }
    }
    return static_cast<int>(pos);
}

QString DurationText(long long milliseconds)
{
    const long long tenths = (std::max(milliseconds, 0LL) + 50) / 100;
    if (tenths < 100)
        return QStringLiteral("%1.%2 s").arg(tenths / 10).arg(tenths % 10);
    const long long seconds = (milliseconds + 500) / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    return QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}
