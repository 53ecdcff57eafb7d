#include "help/HelpPages.h"

#include "startup/Labels.h"

#include "platform/Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QRegularExpression>

namespace help {

QString CommandPageSummary(const QString& html, int maxLines)
{
    // The pages put the syntax in the first heading and the description in
    // a table after the heading "Description".
    static const QRegularExpression description(QStringLiteral("<h1>\\s*Description\\s*</h1>"),
                                                QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression nextHeading(QStringLiteral("<h1"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression lineBreak(QStringLiteral("<br\\s*/?>|</p>|</tr>"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const QRegularExpressionMatch found = description.match(html);
    qsizetype start = found.hasMatch() ? found.capturedEnd() : 0;
    if (!found.hasMatch()) {
        // Else what follows the syntax.
        const qsizetype end = html.indexOf(QLatin1String("</h1>"), 0, Qt::CaseInsensitive);
        start = end < 0 ? 0 : end + 5;
    }
    const QRegularExpressionMatch end = nextHeading.match(html, start);
    QString text = html.mid(start, end.hasMatch() ? end.capturedStart() - start : -1);
    text.replace(lineBreak, QStringLiteral("\n")).remove(tag);
    text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
        .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
        .replace(QStringLiteral("&nbsp;"), QStringLiteral(" "))
        .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    QStringList lines;
    int written = 0;  // lines with text; one empty line between paragraphs is kept
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString plain = line.simplified();
        if (plain.isEmpty() && (lines.isEmpty() || lines.back().isEmpty()))
            continue;
        lines << plain;
        if (!plain.isEmpty() && ++written >= maxLines)
            break;
    }
    while (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines.join(QLatin1Char('\n'));
}

QString HomePage(const QString& helpDir)
{
    if (helpDir.isEmpty())
        return {};
    return paths::ResolveOnDisk(paths::Join(helpDir, QStringLiteral("index.html")));
}

QStringList CommandPageCandidates(const QString& helpDir, const QString& word)
{
    // The word comes from the text at the caret; a separator or a dot path
    // in it must not reach files outside the command folders.
    if (helpDir.isEmpty() || word.isEmpty() || word.contains(u'/') || word.contains(u'\\') || word.contains(u':')
        || word.startsWith(u'.'))
        return {};
    const QString page = word + QStringLiteral(".htm");
    return {paths::Join(helpDir, QStringLiteral("commands/2d_commands/") + page),
            paths::Join(helpDir, QStringLiteral("commands/3d_commands/") + page)};
}

std::optional<QString> FindCommandPage(const QString& helpDir, const QString& word)
{
    for (const QString& candidate : CommandPageCandidates(helpDir, word)) {
        const QString onDisk = paths::ResolveOnDisk(candidate);
        if (QFileInfo(onDisk).isFile())
            return onDisk;
    }
    return std::nullopt;
}

QUrl ToBrowserUrl(const QString& pathOrUrl)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    const QString s = pathOrUrl.trimmed();
    if (scheme.match(s).hasMatch())
        return QUrl(s);
    if (s.isEmpty())
        return {};
    return QUrl::fromLocalFile(QFileInfo(paths::ResolveOnDisk(s)).absoluteFilePath());
}

namespace {

constexpr char kHelpHost[] = "local";

bool StartsWithDrive(const QString& path, qsizetype at)
{
    return path.size() >= at + 2 && path.at(at).isLetter() && path.at(at + 1) == u':';
}

}  // namespace

QUrl ToHelpUrl(const QString& localPath)
{
    QString path = QDir::cleanPath(paths::ToSlashes(localPath));
    if (!path.startsWith(u'/'))
        path.prepend(u'/');
    QUrl url;
    url.setScheme(QString::fromLatin1(kHelpScheme));
    url.setHost(QString::fromLatin1(kHelpHost));
    url.setPath(path);
    return url;
}

QString HelpUrlPath(const QUrl& url)
{
    if (url.scheme() != QLatin1String(kHelpScheme))
        return {};
    QString path = url.path(QUrl::FullyDecoded);
    // "/C:/Blitz3D/help" is the Windows path C:/Blitz3D/help.
    if (StartsWithDrive(path, 1) && path.startsWith(u'/'))
        path.remove(0, 1);
    return path;
}

bool IsInside(const QString& path, const QString& dir)
{
    if (dir.isEmpty())
        return false;
    // Both made absolute the way the browser resolved the page, so that a
    // relative help folder still recognises its pages.
    const auto absolute = [](const QString& p) {
        return QDir::cleanPath(QFileInfo(paths::ToSlashes(p)).absoluteFilePath());
    };
    const QString cleanDir = absolute(dir);
    const QString cleanPath = absolute(path);
    return cleanPath.startsWith(cleanDir + u'/', Qt::CaseInsensitive);
}

namespace {

QByteArray MimeTypeOf(const QString& path)
{
    // Sources the help links to read as text rather than start a download.
    if (path.endsWith(QLatin1String(".bb"), Qt::CaseInsensitive))
        return QByteArrayLiteral("text/plain");
    return QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toLatin1();
}

bool IsPage(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix.isEmpty() || suffix == u"htm" || suffix == u"html";
}

}  // namespace

HelpReply ReplyFor(const QUrl& url, const CUILabels& labels)
{
    const QString asked = HelpUrlPath(url);
    if (asked.isEmpty())
        return {};
    const QString path = paths::ResolveOnDisk(asked);
    if (QFileInfo(path).isFile())
        return {path, MimeTypeOf(path), {}};
    // A frame's page has no other place to say what is missing; an image or
    // a style sheet simply stays away.
    if (!IsPage(asked))
        return {};
    return {{}, {}, MissingPageHtml(labels, asked, QString())};
}

namespace {

QString Page(const QString& title, const QString& body)
{
    return QStringLiteral(
               "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
               "<style>"
               "body{font-family:sans-serif;margin:2em 3em;color:#222;max-width:46em}"
               "h1{font-size:1.4em;color:#1d3b6a;border-bottom:1px solid #c8d2e0;padding-bottom:.3em}"
               ".path{font-family:monospace;background:#f2f4f8;border:1px solid #dde3ec;"
               "padding:.4em .6em;word-break:break-all}"
               "</style></head><body>%2</body></html>")
        .arg(title, body);
}

}  // namespace

QString NoHelpFolderHtml(const CUILabels& labels)
{
    return Page(labels.getValue(QStringLiteral("helppagetitle")),
                labels.getValue(QStringLiteral("helpnofolder")) + labels.getValue(QStringLiteral("helpwherefolder")));
}

QString MissingPageHtml(const CUILabels& labels, const QString& missingPath, const QString& helpDir)
{
    const QString shown = missingPath.toHtmlEscaped();
    QString body;
    if (IsInside(missingPath, helpDir)) {
        const bool folderThere = QFileInfo(paths::ResolveOnDisk(helpDir)).isDir();
        body = labels.getValue(QStringLiteral("helpnotshown"));
        body += folderThere ? labels.format(QStringLiteral("helppagemissing"), {shown})
                            : labels.format(QStringLiteral("helpfoldermissing"), {helpDir.toHtmlEscaped(), shown});
        body += labels.getValue(QStringLiteral("helpwherefolder"));
    } else {
        body = labels.format(QStringLiteral("pagenotshown"), {shown});
    }
    return Page(labels.getValue(QStringLiteral("pagenotfound")), body);
}

}  // namespace help
