// The compiler's output as it lands in output.txt: its last line, the error
// report taken from it, the texts built from that report, and the lines the
// output pane cuts it into as it arrives.
#include "build/CompilerError.h"
#include "build/CompilerOutput.h"
#include "startup/Labels.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const CUILabels labels;
    const std::string_view output(reinterpret_cast<const char*>(data), size);

    const std::string_view last = LastLine(output);
    if (last.find_first_of("\r\n") != std::string_view::npos)
        std::abort();

    for (const int exitCode : {0, 255}) {
        const BuildResult result = JudgeBuild(last, exitCode, false);
        if ((result == BuildResult::ErrorReport) != IsErrorReport(last)
            || DescribeFailure(labels, last, exitCode, true).message.isEmpty())
            std::abort();
    }

    for (std::string_view line : {output, last}) {
        const std::optional<CompilerError> error = ParseErrorLine(line);
        if (!error) {
            if (IsErrorReport(line))
                (void)StatusWithMessage(QStringLiteral("Checking a.bb..."), UnreadableReportText(labels, line));
            continue;
        }
        if (!IsErrorReport(line) || error->line < 0 || error->file.size() >= line.size())
            std::abort();
        const QString message = CompileErrorMessage(
            QStringLiteral("Error at line #numline#, column #numcolumn#:\r\n#errstr#"), *error);
        if (StatusWithMessage(QStringLiteral("Checking a.bb..."), message).contains(QStringLiteral("\r\n")))
            std::abort();
    }
    // However the output arrives, the same lines, none holding a line end.
    auto read = [&](std::size_t piece) {
        CompilerOutputReader reader;
        std::vector<std::string> lines;
        for (std::size_t at = 0; at < output.size(); at += piece)
            for (OutputLine& l : reader.Add(output.substr(at, piece)))
                lines.push_back(std::move(l.text));
        if (std::optional<OutputLine> last = reader.Finish())
            lines.push_back(std::move(last->text));
        return lines;
    };
    const std::vector<std::string> whole = read(output.size() + 1);
    if (read(3) != whole)
        std::abort();
    for (const std::string& line : whole) {
        if (line.find_first_of("\r\n") != std::string::npos)
            std::abort();
        const int column = EditorColumn(line, int(size % 200), (size & 1) != 0);
        if (column < 0 || std::size_t(column) > line.size())
            std::abort();
    }
    return 0;
}
