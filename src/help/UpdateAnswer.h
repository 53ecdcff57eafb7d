#pragma once

#include <QString>
#include <QUrl>

#include <string_view>
#include <variant>

// What the update server answers and what the update page then says. The
// answer comes from the network: nothing of it reaches the page as markup.
class CUILabels;

namespace update {

struct Version {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// The value versions are compared by. The weights overlap on purpose, as
// the server's numbering has always been read: a revision of 100 or more
// counts into the minor version (0.8.120 is newer than 0.9.19).
constexpr long long VersionValue(const Version& v)
{
    return v.major * 100000LL + v.minor * 100LL + v.revision;
}
inline bool IsNewer(const Version& latest, const Version& installed)
{
    return VersionValue(latest) > VersionValue(installed);
}
// "0.8.20"
QString VersionText(const Version& v);

struct Answer {
    Version latest;
    QString downloadId;
};
// Why an answer could not be read: the key of its label from ParseAnswer,
// the sentence for the user from Outcome.
struct Unreadable {
    QString reason;
};

// The answer's first line is the latest version, three whole numbers joined
// by "." (further parts are ignored); the second is the download identifier;
// further lines are ignored. Lines end with CR LF or a bare LF, so a trailing
// line break after the version alone makes an empty identifier.
std::variant<Answer, Unreadable> ParseAnswer(std::string_view body);

// The reason phrase of the HTTP status line counts as success when it ends
// in "OK", whatever comes before it.
bool StatusSaysOk(const QString& statusText);

// scheme://host[:port] of the update address, where downloads are offered
// too; empty when the address has no host.
QString ServerAddress(const QUrl& updateLink);
// The download page for `downloadId`, percent-encoded whole.
QString DownloadLink(const QString& server, const QString& downloadId);

// The texts of the "spMsg" element for each outcome, from the label table.
QString NewVersionHtml(const CUILabels& labels, const QString& server, const Answer& answer);
QString UpToDateHtml(const CUILabels& labels);
QString StatusErrorHtml(const CUILabels& labels, const QString& statusText);

// What the check shows for an answer that came back with `statusText`: the
// HTML for "spMsg", or why the answer could not be read.
std::variant<QString, Unreadable> Outcome(const CUILabels& labels, const QString& statusText, std::string_view body,
                                          const Version& installed, const QString& server);

}  // namespace update
