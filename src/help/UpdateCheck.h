#pragma once

#include "help/UpdateAnswer.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <chrono>

class CUILabels;
class HelpArea;
class Prompter;
class QNetworkAccessManager;
class QNetworkReply;
class QUrl;

// The update check of the Help menu: the local page AutoUpdate.html is shown
// in the help browser and, each time it has loaded (also through the
// browser's history), it is filled with the installed version and with what
// the update server says about the latest one.
//
// The server is asked without blocking the window, and gets a few seconds to
// answer. Only the newest check counts: leaving the page or starting another
// check gives up the one under way without a word, and going back to the
// page asks again.
class UpdateCheck : public QObject {
    Q_OBJECT
public:
    struct Setup {
        QString pagePath;    // the local page
        QString updateLink;  // AutoUpdateLink: where the latest version is published
        update::Version installed;
    };
    UpdateCheck(HelpArea& help, const CUILabels& labels, Prompter& prompter, Setup setup, QObject* parent = nullptr);
    ~UpdateCheck() override;

    // Brings the browser up on the local page; its completion runs the check.
    void StartUpdateCheck();
    // Fills the local page now in the browser.
    void CheckForUpdate();

    void SetTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }
    bool Busy() const { return m_reply != nullptr; }

Q_SIGNALS:
    // A check has shown its outcome: the message in the page or the failure's
    // message box. Checks given up are not reported.
    void Finished();

private:
    void OnDocumentComplete(const QUrl& url);
    void SendRequest();
    void OnReplyFinished(QNetworkReply* reply, quint64 check);
    void Fail(const QString& description);
    // Gives up the check under way, if any; its answer will show nothing.
    void Cancel();

    HelpArea& m_help;
    const CUILabels& m_labels;
    Prompter& m_prompter;
    const Setup m_setup;
    std::chrono::milliseconds m_timeout{8000};
    QNetworkAccessManager* m_network = nullptr;
    QNetworkReply* m_reply = nullptr;  // the request under way
    QTimer m_deadline;
    // Numbers the checks; an answer or page callback of an older one is dropped.
    quint64 m_check = 0;
    enum class Abort { None, TimedOut, TooLong } m_abort = Abort::None;
};
