#pragma once

#include <QIcon>
#include <QTabBar>

#include <functional>

// The tab strip above the editor: the help tab first, then one tab per
// document, each found by its document's key.
class DocumentTabs : public QTabBar {
    Q_OBJECT
public:
    static constexpr const char* kHelpTabKey = "HelpTab";
    // Pictures of the tabs: help, a modified and a saved document.
    enum Picture { kHelpPicture = 7, kModifiedPicture = 9, kSavedPicture = 4 };

    explicit DocumentTabs(QWidget* parent = nullptr);

    void RemoveAll();
    // `toolTip`: what the caption stands for, as a document's full path.
    void AddTab(const QString& key, const QString& caption, Picture picture, const QString& toolTip = {});
    int IndexOf(const QString& key) const;
    QString KeyAt(int index) const;
    QString SelectedKey() const { return KeyAt(currentIndex()); }
    void SetCaption(const QString& key, const QString& caption, const QString& toolTip = {});
    void SetPicture(const QString& key, Picture picture);
    Picture PictureOf(const QString& key) const;
    // Selects a tab without reporting it as a click.
    void SelectQuietly(const QString& key);
    // The image list of the tabs: a picture by its number.
    void SetPictures(std::function<QIcon(int picture)> pictures);
    // Selects the tab `step` places on (negative: back), going round from
    // the last tab to the first, and reports it as a click.
    void SelectNeighbour(int step);

    bool SuppressTabClick = false;

Q_SIGNALS:
    // The user (or the program, outside SelectQuietly) chose a tab.
    void TabClicked(const QString& key);
    // Files dragged over the strip and dropped on it.
    void FilesDropped(const QStringList& paths);

protected:
    // A tab bar that changes while its window is not yet shown keeps the
    // height it had in its layout; this tells the layout every time.
    // A long caption is shortened in the middle, where two names of one
    // beginning and ending still differ; a tab is never made narrower than
    // that, as many tabs scroll instead.
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    void tabInserted(int index) override;
    void tabRemoved(int index) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QIcon IconFor(Picture picture) const;

    std::function<QIcon(int)> m_pictures;
};
