#pragma once

#include <QIcon>
#include <QSplitter>
#include <QWidget>

#include <functional>

class QLabel;
class QToolButton;

// The panes of the main window below the toolbars: on the left the project
// tree above the declaration list, each under its title band, then the
// document area (the tab strip over the editor or the help browser). Two
// splitters divide them; the button in the vertical one collapses the left
// pane to the window's edge and brings it back at the width it had.
class MainLayout : public QWidget {
    Q_OBJECT
public:
    // The document area never gets narrower than this, so the editor keeps
    // a usable line of text; the left pane gives way first.
    static constexpr int kMinDocumentWidth = 360;
    static constexpr int kMinLeftPaneWidth = 150;

    MainLayout(QWidget* projectTree, QWidget* declList, QWidget* documentArea, QWidget* parent = nullptr);

    // The pane titles (labels "l1" and "l2") and their colours.
    void SetTitles(const QString& project, const QString& declarations);
    void SetTitleColours(const QColor& from, const QColor& to, const QColor& text);
    // A pane below the document area (the bottom panel), the two parted by
    // a splitter of their own.
    void AddBottomPane(QWidget* pane);
    // The splitter button's pictures: 1 collapse, 2 expand, 3 and 4 the same
    // under the mouse.
    void SetSplitterPictures(std::function<QIcon(int picture)> pictures);

    bool LeftPaneCollapsed() const { return m_collapsed; }
    // The click of the splitter button.
    void ToggleLeftPane();
    void SetLeftPaneCollapsed(bool collapsed);
    // The left pane's width; while collapsed, the width it comes back at.
    int LeftPaneWidth() const;
    void SetLeftPaneWidth(int width);
    // The height of the project tree's part of the left pane.
    int ProjectPaneHeight() const;
    void SetProjectPaneHeight(int height);
    // The first arrangement: the pane wide enough for the declaration tabs,
    // the project tree taking a modest part of its height.
    void SetFirstStartSizes(int declTabsWidth);

    QToolButton* SplitterButton() const { return m_button; }
    QSplitter* VerticalSeparator() const { return m_vertical; }
    QSplitter* LeftPane() const { return m_leftPane; }

Q_SIGNALS:
    // The left pane was collapsed or expanded by the user.
    void LeftPaneToggled(bool collapsed);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowButtonPicture(bool hot);
    void FollowSplitter();

    QSplitter* m_vertical;
    QSplitter* m_leftPane;
    QSplitter* m_bottom = nullptr;
    QLabel* m_projectTitle;
    QLabel* m_declTitle;
    QToolButton* m_button = nullptr;
    std::function<QIcon(int)> m_pictures;
    bool m_collapsed = false;
    bool m_hot = false;
    // The width the pane last had open, which it comes back at.
    int SavedSplitterLeft = 0;
};
