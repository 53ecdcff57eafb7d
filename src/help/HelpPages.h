#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>

// Where the Blitz3D help pages live inside the help folder, and what the
// browser shows when one of them is missing.
namespace help {

// The help's home page: <helpDir>/index.html, as it exists on disk when the
// letter case differs (help trees are copied from Windows).
QString HomePage(const QString& helpDir);

// The pages F1 tries for a command, in order: the 2D commands' folder, then
// the 3D commands' folder. Empty for a word that could leave those folders.
QStringList CommandPageCandidates(const QString& helpDir, const QString& word);
// The first candidate that exists, as found on disk.
std::optional<QString> FindCommandPage(const QString& helpDir, const QString& word);

// A path or URL as the browser loads it. A string with a scheme of two or
// more letters ("http:", "file:", "about:") is a URL; anything else, drive
// letters included, is a file path, matched on disk as a Windows user wrote it.
QUrl ToBrowserUrl(const QString& pathOrUrl);

// The page shown instead of a help page that does not exist: what was looked
// for and, for pages of the help folder, where the Blitz3D folder is set.
QString MissingPageHtml(const QString& missingPath, const QString& helpDir);

}  // namespace help
