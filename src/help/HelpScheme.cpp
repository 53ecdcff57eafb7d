#include "help/HelpScheme.h"

#include "help/HelpPages.h"
#include "startup/Labels.h"

#include <QBuffer>
#include <QFile>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace help {

namespace {

class HelpSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    HelpSchemeHandler(const CUILabels& labels, QObject* parent) : QWebEngineUrlSchemeHandler(parent), m_labels(labels) {}
    // A profile outlives the windows that use it: each brings its words.
    void SetLabels(const CUILabels& labels) { m_labels = labels; }

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        const HelpReply reply = ReplyFor(job->requestUrl(), m_labels);
        if (!reply.file.isEmpty()) {
            auto* file = new QFile(reply.file, job);
            if (file->open(QIODevice::ReadOnly))
                job->reply(reply.mimeType, file);
            else
                job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        if (reply.missingPage.isEmpty()) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* page = new QBuffer(job);
        page->setData(reply.missingPage.toUtf8());
        page->open(QIODevice::ReadOnly);
        job->reply(QByteArrayLiteral("text/html;charset=utf-8"), page);
    }

private:
    CUILabels m_labels;
};

}  // namespace

void RegisterHelpScheme()
{
    QWebEngineUrlScheme scheme(kHelpScheme);
    // A host and a path like http: pages resolve relative links, frames
    // share one origin and may script each other.
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Host);
    scheme.setDefaultPort(QWebEngineUrlScheme::PortUnspecified);
    scheme.setFlags(QWebEngineUrlScheme::SecureScheme | QWebEngineUrlScheme::LocalScheme
                    | QWebEngineUrlScheme::LocalAccessAllowed | QWebEngineUrlScheme::CorsEnabled);
    QWebEngineUrlScheme::registerScheme(scheme);
}

void InstallHelpScheme(QWebEngineProfile* profile, const CUILabels& labels)
{
    if (!profile)
        return;
    if (auto* installed = static_cast<HelpSchemeHandler*>(
            const_cast<QWebEngineUrlSchemeHandler*>(profile->urlSchemeHandler(kHelpScheme)))) {
        installed->SetLabels(labels);
        return;
    }
    profile->installUrlSchemeHandler(kHelpScheme, new HelpSchemeHandler(labels, profile));
}

}  // namespace help
