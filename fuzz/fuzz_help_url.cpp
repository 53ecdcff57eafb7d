// Help URLs and the files they stand for. The input is cut at its first NUL
// into a local path and a URL (or a word at the caret, for F1). A path
// carried in a help URL comes back the same through the browser's spelling
// of the URL; whatever a URL asks for is served from a file that is there, or
// answered with a page that shows the path as text and never as markup, or
// refused; and the pages F1 tries stay in the command folders.
#include "FuzzCheck.h"
#include "help/HelpPages.h"
#include "startup/LabelsFile.h"

#include <QDir>
#include <QFileInfo>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// The not-found pages as the label table words them.
const CUILabels& Labels()
{
    static const CUILabels labels =
        ParseLabels("helppagetitle = Help\nhelpnofolder = <h1>No folder</h1>\nhelpwherefolder = <p>Set it.</p>\n"
                    "helpnotshown = <h1>Not shown</h1>\nhelppagemissing = <p>Missing:</p><p class=path>%1</p>\n"
                    "helpfoldermissing = <p>No folder:</p><p class=path>%1</p><p>Page:</p><p class=path>%2</p>\n"
                    "pagenotshown = <h1>Not shown</h1><p>Missing:</p><p class=path>%1</p>\npagenotfound = Not found\n")
            .labels;
    return labels;
}

qsizetype Markup(const QString& html)
{
    return html.count(u'<') + html.count(u'>') + html.count(u'"');
}

// The missing page's markup for a path outside the help folder, inside it,
// and inside a help folder that is not there.
bool KnownMarkup(const QString& html)
{
    static const QString there = QDir::tempPath();
    static const qsizetype kinds[] = {Markup(help::MissingPageHtml(Labels(), QStringLiteral("/x.htm"), QString())),
                                      Markup(help::MissingPageHtml(Labels(), there + QStringLiteral("/x.htm"), there)),
                                      Markup(help::MissingPageHtml(Labels(), QStringLiteral("/no/help/x.htm"),
                                                                   QStringLiteral("/no/help")))};
    const qsizetype m = Markup(html);
    return m == kinds[0] || m == kinds[1] || m == kinds[2];
}

bool StartsWithDrive(const QString& path)
{
    return path.size() >= 3 && path[0] == u'/' && path[1].isLetter() && path[2] == u':';
}

// A URL may carry %00, and Qt warns of every path holding a NUL that it is
// asked about; no such file is found, rightly, and the warnings would fill
// the log with thousands of lines and halve the runs per second.
[[maybe_unused]] const QtMessageHandler kQuiet =
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t nul = input.find('\0');
    const QString path = QString::fromUtf8(input.substr(0, nul));
    const QString other = nul == std::string_view::npos ? QString() : QString::fromUtf8(input.substr(nul + 1));

    // A path there and back, as the browser spells the URL and reads it again.
    const QUrl url = help::ToHelpUrl(path);
    FUZZ_CHECK(url.scheme() == QLatin1String(help::kHelpScheme) && !url.hasQuery() && !url.hasFragment());
    const QUrl spelt(QString::fromLatin1(url.toEncoded()));
    // A folder named like a drive ("/C:") reads as the drive's path.
    const QString slashed = QDir::cleanPath(QString(path).replace(u'\\', u'/'));
    if (slashed.startsWith(u'/') && !StartsWithDrive(slashed))
        FUZZ_CHECK(help::HelpUrlPath(spelt) == slashed);

    for (const QUrl& asked : {QUrl(other), spelt, url.resolved(QUrl(other))}) {
        const help::HelpReply reply = help::ReplyFor(asked, Labels());
        if (!reply.file.isEmpty())
            FUZZ_CHECK(QFileInfo(reply.file).isFile() && reply.missingPage.isEmpty());
        else if (!reply.missingPage.isEmpty())
            FUZZ_CHECK(KnownMarkup(reply.missingPage));
    }
    FUZZ_CHECK(KnownMarkup(help::MissingPageHtml(Labels(), path, other)));

    const QString helpDir = QStringLiteral("/b3d/help");
    for (const QString& page : help::CommandPageCandidates(helpDir, other)) {
        const QString folder = QFileInfo(QDir::cleanPath(page)).path();
        FUZZ_CHECK(folder == helpDir + QStringLiteral("/commands/2d_commands") ||
              folder == helpDir + QStringLiteral("/commands/3d_commands"));
    }
    (void)help::ToBrowserUrl(other);
    return 0;
}
