#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// Where the Blitz3D help pages live inside the help folder, and what the
// browser shows when one of them is missing.
class CUILabels;

namespace help {

// The help's home page: <helpDir>/index.html, as it exists on disk when the
// letter case differs (help trees are copied from Windows). Empty without a
// help folder.
QString HomePage(const QString& helpDir);

// The pages F1 tries for a command, in order: the 2D commands' folder, then
// the 3D commands' folder. Empty for a word that could leave those folders,
// and without a help folder.
QStringList CommandPageCandidates(const QString& helpDir, const QString& word);
// The first candidate that exists, as found on disk.
std::optional<QString> FindCommandPage(const QString& helpDir, const QString& word);

// The first `maxLines` lines of what a command's page says of it (its
// description), as plain text, paragraphs apart: for a tip beside the
// command's syntax. Empty when the page has no text.
QString CommandPageSummary(const QString& html, int maxLines);

// A path or URL as the browser loads it. A string with a scheme of two or
// more letters ("http:", "file:", "about:") is a URL; anything else, drive
// letters included, is a file path, matched on disk as a Windows user wrote it.
QUrl ToBrowserUrl(const QString& pathOrUrl);

// The help folder is served under a scheme of its own, which finds every
// page, frame, image and style sheet whatever the letter case of the link
// (help trees copied from Windows link "Eof.htm" to EOF.htm). A help URL
// holds the file's absolute path: pages resolve their links against it as
// against a file, and the served file is found on disk ignoring case.
inline constexpr char kHelpScheme[] = "ovrel-help";
QUrl ToHelpUrl(const QString& localPath);
// The local path a help URL stands for (drive letters kept); "" for any
// other URL.
QString HelpUrlPath(const QUrl& url);
// Whether `path` lies inside the folder `dir` (letter case ignored).
bool IsInside(const QString& path, const QString& dir);

// What the help scheme serves for a request: the file found on disk for its
// URL, with the file's type; or, for a page that is not there, the "not
// found" page, so that frames get it too; or nothing, for an image or a
// style sheet that is not there, or a URL of any other scheme.
struct HelpReply {
    QString file;  // as found on disk
    QByteArray mimeType;
    QString missingPage;  // HTML
};
HelpReply ReplyFor(const QUrl& url, const CUILabels& labels);

// The page shown instead of a help page that does not exist: what was looked
// for and, for pages of the help folder, where the Blitz3D folder is set.
QString MissingPageHtml(const CUILabels& labels, const QString& missingPath, const QString& helpDir);
// The home page while no Blitz3D folder is set: where to set it.
QString NoHelpFolderHtml(const CUILabels& labels);

}  // namespace help
