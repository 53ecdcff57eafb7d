// The update server's answer and status text of any content: read or refused,
// and whatever is shown is the fixed markup with nothing of the answer in it
// as markup.
#include "help/UpdateAnswer.h"
#include "startup/LabelsFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// The markup characters of a message: the same for every answer.
qsizetype Markup(const QString& html)
{
    return html.count(u'<') + html.count(u'>') + html.count(u'"');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const QString server = QStringLiteral("https://update.ovrel.org");
    const update::Version installed{0, 8, 20};
    // The page's texts as the label table words them.
    static const CUILabels labels =
        ParseLabels("updatenewversion = <B><font color=\"#990000\">New</font></B><br><a href=\"%1\">Here</a> (%2)\n"
                    "updateuptodate = <B>Updated</B>\n"
                    "updatestatuserror = <B>Error:%1<br>Retry</B>\n")
            .labels;
    static const qsizetype newerMarkup = Markup(update::NewVersionHtml(labels, server, {{1, 2, 3}, QString()}));
    static const qsizetype errorMarkup = Markup(update::StatusErrorHtml(labels, QString()));

    // The whole input as the body, and its first line as the status text.
    const QString status = QString::fromUtf8(input.substr(0, input.find('\n')));
    for (const QString& statusText : {QStringLiteral("OK"), status}) {
        const auto outcome = update::Outcome(labels, statusText, input, installed, server);
        if (std::holds_alternative<update::Unreadable>(outcome))
            continue;
        const QString& html = std::get<QString>(outcome);
        const bool readable = std::holds_alternative<update::Answer>(update::ParseAnswer(input));
        const qsizetype expected = !update::StatusSaysOk(statusText)             ? errorMarkup
                                   : html == update::UpToDateHtml(labels)        ? Markup(html)
                                   : readable                                    ? newerMarkup
                                                                                 : -1;
        if (Markup(html) != expected)
            std::abort();
    }

    const auto parsed = update::ParseAnswer(input);
    if (const auto* answer = std::get_if<update::Answer>(&parsed)) {
        const update::Version& v = answer->latest;
        if (v.major < 0 || v.minor < 0 || v.revision < 0)
            std::abort();
    }
    return 0;
}
