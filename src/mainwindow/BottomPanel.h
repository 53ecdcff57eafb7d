#pragma once

#include <QStringList>
#include <QWidget>

class BuildOutputPane;
class CUILabels;
class QLabel;
class QStackedWidget;
class QTabBar;
class QToolButton;
class ReferencesPane;

// The one panel below the editor: a strip of tabs with the collapse toggle
// and the last build's summary, over the content of the chosen tab. The
// strip stays when the panel is collapsed, so the summary can still be read.
// A failed build brings the build's output forward, a list of references or
// of matches found in the program brings itself forward; closing such a list
// goes back to the build's output as the panel was before the list opened it.
class BottomPanel : public QWidget {
    Q_OBJECT
public:
    enum Tab {
        BuildOutputTab = 0,
        ReferencesTab = 1,
        SearchTab = 2,
        ProblemsTab = 3,
        DebugLogTab = 4,
        CallStackTab = 5,
        VariablesTab = 6,
    };

    BottomPanel(BuildOutputPane& output, ReferencesPane& references, const CUILabels& labels,
                QWidget* parent = nullptr);

    bool Collapsed() const { return m_collapsed; }
    // Collapsed, only the strip shows; opening asks the splitter the panel
    // sits in for the height it had when last open.
    void SetCollapsed(bool collapsed);
    // The height the panel has open, or comes back at when opened.
    int OpenHeight() const;
    void SetOpenHeight(int height);
    // The Problems tab, after the search results: always there, as the list
    // follows the document in front.
    void AddProblems(QWidget& problems, const QString& caption) { AddPane(problems, caption); }
    // A tab that is always there, after those added before it.
    void AddPane(QWidget& pane, const QString& caption);
    // The caption of a tab, a count after it when `count` is not negative.
    void SetTabCount(Tab tab, int count);
    int CurrentTab() const;
    bool TabShown(Tab tab) const;
    // Brings `tab` forward and opens the panel, as a click on the tab does.
    void ShowTab(Tab tab);
    // The references' close button: their tab goes until the next list.
    void CloseReferences();
    // The matches of a find in the program: a tab of their own, shown from
    // the first search on and closed as the references are.
    void AddSearchResults(QWidget& results, const QString& caption);
    void ShowSearchResults() { ShowList(SearchTab); }
    void CloseSearchResults() { CloseList(SearchTab); }
    QString Summary() const;
    QTabBar* Tabs() const { return m_tabs; }
    QToolButton* Toggle() const { return m_toggle; }

Q_SIGNALS:
    // Escape in the panel: the keyboard belongs back in the document.
    void Dismissed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowReferences() { ShowList(ReferencesTab); }
    void ShowList(Tab tab);
    void CloseList(Tab tab);
    QToolButton* AddCloseButton(Tab tab, const QString& name);
    void SetTabShown(Tab tab, bool shown);
    void FollowCollapsed();

    QWidget* m_strip;
    QToolButton* m_toggle;
    QTabBar* m_tabs;
    QLabel* m_summary;
    QStackedWidget* m_pages;
    bool m_collapsed = false;
    // A list opened a collapsed panel: closing it collapses it again.
    bool m_openedByReferences = false;
    int m_openHeight = 0;
    QStringList m_captions;
    QStringList m_toggleTips;  // while open, while collapsed
    bool m_shown = false;
};
