#include "help/UpdateCheck.h"

#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"

#include <QLocale>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

namespace {

// The answer is two short lines; anything much longer is not one, and is not
// worth holding in memory.
constexpr qint64 kMaxAnswerBytes = 64 * 1024;

}  // namespace

UpdateCheck::UpdateCheck(HelpArea& help, const CUILabels& labels, Prompter& prompter, Setup setup, QObject* parent)
    : QObject(parent), m_help(help), m_labels(labels), m_prompter(prompter), m_setup(std::move(setup)),
      m_network(new QNetworkAccessManager(this))
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        m_abort = Abort::TimedOut;
        if (m_reply)
            m_reply->abort();
    });
    if (HelpBrowser* browser = m_help.Browser()) {
        connect(browser, &HelpBrowser::DocumentComplete, this, &UpdateCheck::OnDocumentComplete);
        // Whatever the browser loads next replaces the page the answer was for.
        connect(browser, &HelpBrowser::LoadStarted, this, &UpdateCheck::Cancel);
    }
}

UpdateCheck::~UpdateCheck()
{
    Cancel();
}

void UpdateCheck::StartUpdateCheck()
{
    m_help.ShowHelpBrowser(false);
    if (HelpBrowser* browser = m_help.Browser())
        browser->Navigate(m_setup.pagePath);
}

void UpdateCheck::OnDocumentComplete(const QUrl& url)
{
    if (url.toString().contains(QLatin1String("autoupdate.html"), Qt::CaseInsensitive))
        CheckForUpdate();
}

void UpdateCheck::CheckForUpdate()
{
    Cancel();
    HelpBrowser* browser = m_help.Browser();
    if (!browser)
        return;
    const quint64 check = m_check;
    browser->SetElementText(QStringLiteral("spVersion"), update::VersionText(m_setup.installed),
                            [self = QPointer(this), check](bool found) {
                                if (!self || check != self->m_check)
                                    return;
                                if (found)
                                    self->SendRequest();
                                else
                                    self->Fail(self->m_labels.format(QStringLiteral("updatenoelement"),
                                                                     {QStringLiteral("spVersion")}));
                            });
}

void UpdateCheck::SendRequest()
{
    const QUrl link(m_setup.updateLink.trimmed());
    if (link.scheme() != QLatin1String("https") && link.scheme() != QLatin1String("http")) {
        Fail(m_labels.format(QStringLiteral("updatenotweb"), {m_setup.updateLink}));
        return;
    }
    QNetworkRequest request(link);
    // HTTP/2 carries no reason phrase, and the phrase is what says "OK".
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    m_abort = Abort::None;
    m_reply = m_network->get(request);
    const quint64 check = m_check;
    QNetworkReply* reply = m_reply;
    connect(reply, &QNetworkReply::finished, this, [this, reply, check] { OnReplyFinished(reply, check); });
    connect(reply, &QNetworkReply::downloadProgress, this, [this, reply](qint64 received, qint64) {
        if (received > kMaxAnswerBytes && m_abort == Abort::None) {
            m_abort = Abort::TooLong;
            reply->abort();
        }
    });
    m_deadline.start(m_timeout);
}

void UpdateCheck::OnReplyFinished(QNetworkReply* reply, quint64 check)
{
    reply->deleteLater();
    if (check != m_check || reply != m_reply)
        return;
    m_reply = nullptr;
    m_deadline.stop();

    if (m_abort == Abort::TimedOut) {
        Fail(m_labels.format(QStringLiteral("updatetimeout"),
                             {QString::number(double(m_timeout.count()) / 1000.0, 'g',
                                              QLocale::FloatingPointShortest)}));
        return;
    }
    if (m_abort == Abort::TooLong) {
        Fail(m_labels.getValue(QStringLiteral("updatetoolong")));
        return;
    }
    const QVariant code = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!code.isValid()) {
        Fail(m_labels.format(QStringLiteral("updateunreachable"), {reply->errorString()}));
        return;
    }
    const QString status =
        QString::fromLatin1(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray());
    const QByteArray body = reply->readAll();
    const auto outcome = update::Outcome(m_labels, status, std::string_view(body.constData(), std::size_t(body.size())),
                                         m_setup.installed, update::ServerAddress(QUrl(m_setup.updateLink.trimmed())));
    if (const auto* unreadable = std::get_if<update::Unreadable>(&outcome)) {
        Fail(unreadable->reason);
        return;
    }
    m_help.Browser()->SetElementHtml(QStringLiteral("spMsg"), std::get<QString>(outcome),
                                     [self = QPointer(this), check](bool found) {
                                         if (!self || check != self->m_check)
                                             return;
                                         if (found)
                                             Q_EMIT self->Finished();
                                         else
                                             self->Fail(self->m_labels.format(QStringLiteral("updatenoelement"),
                                                                              {QStringLiteral("spMsg")}));
                                     });
}

void UpdateCheck::Fail(const QString& description)
{
    m_prompter.Tell(description, MsgIcon::Critical);
    Q_EMIT Finished();
}

void UpdateCheck::Cancel()
{
    ++m_check;
    m_deadline.stop();
    if (QNetworkReply* reply = m_reply) {
        m_reply = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}
