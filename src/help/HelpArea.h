#pragma once

#include <QPointer>
#include <QWidget>

class HelpBrowser;

// The editor's area holds the editor and the help browser, and exactly one of
// them is shown. The main window owns both widgets (in one layout or stack);
// this decides which is visible and carries the help toolbar's navigation.
class HelpArea {
public:
    HelpArea(QWidget* editor, HelpBrowser* browser);

    // Brings the browser in front of the editor. When it already is, nothing
    // changes, not even with `goHome`; otherwise `goHome` loads the home page.
    void ShowHelpBrowser(bool goHome);
    // The way back, for the activation of a document: the editor is shown and
    // the browser hidden, keeping its page for the next time.
    void ShowEditor();
    // Whether the browser is the one in front. Read from the widgets' own
    // flags, so it holds before the main window is first shown.
    bool BrowserShown() const;

    // The help toolbar's navigation buttons (and the Help menu's items).
    void btHome();
    void btPrev();
    void btNext();

    HelpBrowser* Browser() const;

private:
    QPointer<QWidget> m_editor;
    QPointer<HelpBrowser> m_browser;
};
