#include "help/HelpScheme.h"

#include "help/HelpPages.h"
#include "platform/Paths.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>

namespace help {

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

class HelpSchemeHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;

    void requestStarted(QWebEngineUrlRequestJob* job) override
    {
        const QString asked = HelpUrlPath(job->requestUrl());
        const QString path = paths::ResolveOnDisk(asked);
        if (QFileInfo(path).isFile()) {
            auto* file = new QFile(path, job);
            if (file->open(QIODevice::ReadOnly))
                job->reply(MimeTypeOf(path), file);
            else
                job->fail(QWebEngineUrlRequestJob::RequestDenied);
            return;
        }
        // A frame's page has no other place to say what is missing; an
        // image or a style sheet simply stays away.
        if (!IsPage(asked)) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        auto* page = new QBuffer(job);
        page->setData(MissingPageHtml(asked, QString()).toUtf8());
        page->open(QIODevice::ReadOnly);
        job->reply(QByteArrayLiteral("text/html;charset=utf-8"), page);
    }
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

void InstallHelpScheme(QWebEngineProfile* profile)
{
    if (!profile || profile->urlSchemeHandler(kHelpScheme))
        return;
    profile->installUrlSchemeHandler(kHelpScheme, new HelpSchemeHandler(profile));
}

}  // namespace help
