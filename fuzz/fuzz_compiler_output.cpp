// The compiler's output as it lands in output.txt: its last line, the error
// report taken from it, and the texts built from that report.
#include "build/CompilerError.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view output(reinterpret_cast<const char*>(data), size);

    const std::string_view last = LastLine(output);
    if (last.find_first_of("\r\n") != std::string_view::npos)
        std::abort();

    for (const int exitCode : {0, 255}) {
        const BuildResult result = JudgeBuild(last, exitCode, false);
        if ((result == BuildResult::ErrorReport) != IsErrorReport(last) || FailureText(last, exitCode, true).isEmpty())
            std::abort();
    }

    for (std::string_view line : {output, last}) {
        const std::optional<CompilerError> error = ParseErrorLine(line);
        if (!error) {
            if (IsErrorReport(line))
                (void)StatusWithMessage(QStringLiteral("Checking a.bb..."), UnreadableReportText(line));
            continue;
        }
        if (!IsErrorReport(line) || error->line < 0 || error->file.size() >= line.size())
            std::abort();
        const QString message = CompileErrorMessage(
            QStringLiteral("Error at line #numline#, column #numcolumn#:\r\n#errstr#"), *error);
        if (StatusWithMessage(QStringLiteral("Checking a.bb..."), message).contains(QStringLiteral("\r\n")))
            std::abort();
    }
    return 0;
}
