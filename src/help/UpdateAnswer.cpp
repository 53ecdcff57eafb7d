#include "help/UpdateAnswer.h"

#include "startup/Labels.h"

#include <array>
#include <charconv>
#include <optional>

namespace update {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// Nine digits keep every weighted value far inside a long long.
constexpr std::size_t kMaxDigits = 9;

std::string_view TakeLine(std::string_view& rest)
{
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    return line;
}

std::string_view Trimmed(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::optional<int> WholeNumber(std::string_view part)
{
    part = Trimmed(part);
    // Digits only: no sign, no blanks inside.
    if (part.empty() || part.size() > kMaxDigits || part.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int value = 0;
    const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
    if (error != std::errc() || end != part.data() + part.size())
        return std::nullopt;
    return value;
}

Unreadable Fault(const char* key)
{
    return {QLatin1String(key)};
}

}  // namespace

QString VersionText(const Version& v)
{
    return QStringLiteral("%1.%2.%3").arg(v.major).arg(v.minor).arg(v.revision);
}

std::variant<Answer, Unreadable> ParseAnswer(std::string_view body)
{
    if (body.starts_with(kByteOrderMark))
        body.remove_prefix(kByteOrderMark.size());
    if (body.find('\n') == std::string_view::npos)
        return Fault("updatefewlines");
    std::string_view rest = body;
    std::string_view versionLine = TakeLine(rest);
    const std::string_view idLine = TakeLine(rest);

    std::array<int, 3> parts{};
    for (int& part : parts) {
        const std::size_t dot = versionLine.find('.');
        const std::optional<int> number = WholeNumber(versionLine.substr(0, dot));
        if (!number)
            return Fault(dot == std::string_view::npos && Trimmed(versionLine).empty()
                             ? "updatenotthree"
                             : "updatenotwhole");
        part = *number;
        versionLine = dot == std::string_view::npos ? std::string_view() : versionLine.substr(dot + 1);
    }
    return Answer{{parts[0], parts[1], parts[2]}, QString::fromUtf8(idLine.data(), qsizetype(idLine.size()))};
}

bool StatusSaysOk(const QString& statusText)
{
    return statusText.endsWith(QLatin1String("OK"));
}

QString ServerAddress(const QUrl& updateLink)
{
    if (updateLink.host().isEmpty())
        return {};
    return updateLink.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment
                               | QUrl::RemoveUserInfo)
        .toString(QUrl::FullyEncoded);
}

QString DownloadLink(const QString& server, const QString& downloadId)
{
    return server + QStringLiteral("/stavel/download.asp?id=")
           + QString::fromLatin1(QUrl::toPercentEncoding(downloadId));
}

QString NewVersionHtml(const CUILabels& labels, const QString& server, const Answer& answer)
{
    return labels.format(QStringLiteral("updatenewversion"),
                         {DownloadLink(server, answer.downloadId).toHtmlEscaped(), VersionText(answer.latest)});
}

QString UpToDateHtml(const CUILabels& labels)
{
    return labels.getValue(QStringLiteral("updateuptodate"));
}

QString StatusErrorHtml(const CUILabels& labels, const QString& statusText)
{
    return labels.format(QStringLiteral("updatestatuserror"), {statusText.toHtmlEscaped()});
}

std::variant<QString, Unreadable> Outcome(const CUILabels& labels, const QString& statusText, std::string_view body,
                                          const Version& installed, const QString& server)
{
    if (!StatusSaysOk(statusText))
        return StatusErrorHtml(labels, statusText);
    const auto parsed = ParseAnswer(body);
    if (const auto* unreadable = std::get_if<Unreadable>(&parsed))
        return Unreadable{labels.format(QStringLiteral("updateunreadable"), {labels.getValue(unreadable->reason)})};
    const Answer& answer = std::get<Answer>(parsed);
    return IsNewer(answer.latest, installed) ? NewVersionHtml(labels, server, answer) : UpToDateHtml(labels);
}

}  // namespace update
