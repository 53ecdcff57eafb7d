#pragma once

#include <QString>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <optional>

class CUILabels;
class QWebEngineView;

// The embedded help browser: a web view inside a container that the main
// window shows in place of the editor. Paths written with "\" or in another
// letter case than on disk are found all the same, and so are the links,
// frames and images of the pages in the help folder, which is served under
// the help scheme (the addresses given out are still the files' own). A page
// that does not exist is replaced by a generated page that says what was
// looked for, so the user never faces a blank view. Browser failures (back
// with no history) do nothing.
//
// Starting the web engine takes longer than drawing the whole main window, so
// the window's browser starts it `Later`: once it has first been drawn
// (showing an empty page until then), or when something needs the view
// sooner. What it was asked to show meanwhile is shown then.
class HelpBrowser : public QWidget {
    Q_OBJECT
public:
    enum class Engine { Now, Later };
    // The not-found pages take their words from `labels`.
    explicit HelpBrowser(const CUILabels& labels, QWidget* parent = nullptr, Engine engine = Engine::Now);
    ~HelpBrowser() override;

    // The Blitz3D help folder: its index.html becomes the home page, and a
    // missing page inside it gets a hint about the Blitz3D folder setting.
    // A page shown because the folder was missing gives way to the new home
    // page when the folder changes.
    void SetHelpDir(const QString& helpDir);

    // A file path (absolute) or a URL with its scheme.
    void Navigate(const QString& pathOrUrl);
    void Navigate(const QUrl& url);
    void GoHome();
    void GoBack();
    void GoForward();
    bool CanGoBack() const;
    bool CanGoForward() const;
    // The page shown; for a generated "not found" page, the address it stands for.
    QUrl CurrentUrl() const;

    // Elements of the current page by id. `done` learns whether the element
    // was there; the page is changed only when it was.
    using FoundCallback = std::function<void(bool found)>;
    void SetElementText(const QString& id, const QString& text, FoundCallback done = {});
    void SetElementHtml(const QString& id, const QString& html, FoundCallback done = {});
    // Reads an element's text; nullopt when the page has no such element.
    using ReadCallback = std::function<void(std::optional<QString>)>;
    void ElementText(const QString& id, ReadCallback done) const;

    // The web view, which starts the engine when it had not started yet.
    QWebEngineView* View();
    bool EngineStarted() const { return m_view != nullptr; }
    // The text selected on the page, copied to the clipboard.
    bool HasSelection() const;
    void CopySelection();

Q_SIGNALS:
    void SelectionChanged();
    // A page (or a step through the history) has started loading.
    void LoadStarted();
    // A page has finished loading (also when reached again through the
    // history). Not sent for failed loads nor for the generated "not found"
    // pages, which are not the documents that were asked for.
    void DocumentComplete(const QUrl& url);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Whether the view is there; until it is, `later` is what to do once it is.
    bool Ready(std::function<void()> later);
    void ShowMissingPage(const QUrl& url);
    void OnLoadFinished(bool ok);
    void SetElement(const QString& id, const QString& property, const QString& value,
                    FoundCallback done);
    void ReadElement(const QString& id, const QString& property, ReadCallback done) const;

    QWebEngineView* m_view = nullptr;
    std::function<void()> m_pending;
    static constexpr int kStartWhenShownMs = 250;
    static constexpr int kStartAtTheLatestMs = 1000;
    QTimer m_start;
    const CUILabels& m_labels;
    QString m_helpDir;
    QString m_homePage;
    // The page shown says only that the help folder is missing or not set.
    bool m_showsFolderMissing = false;
};
