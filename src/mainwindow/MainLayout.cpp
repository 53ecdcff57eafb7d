#include "mainwindow/MainLayout.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSplitterHandle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A pane's title band: its text on a gentle gradient.
class TitleBand : public QLabel {
public:
    explicit TitleBand(const QString& objectName)
    {
        setObjectName(objectName);
        QFont f = font();
        f.setBold(true);
        setFont(f);
        setContentsMargins(6, 3, 6, 3);
    }

    void SetColours(const QColor& from, const QColor& to, const QColor& text)
    {
        m_from = from;
        m_to = to;
        QPalette p = palette();
        p.setColor(QPalette::WindowText, text);
        setPalette(p);
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        if (m_from.isValid()) {
            QPainter painter(this);
            QLinearGradient gradient(0, 0, width(), 0);
            gradient.setColorAt(0, m_from);
            gradient.setColorAt(1, m_to);
            painter.fillRect(rect(), gradient);
        }
        QLabel::paintEvent(event);
    }

private:
    QColor m_from;
    QColor m_to;
};

QWidget* TitledPane(const QString& objectName, QLabel* title, QWidget* content)
{
    auto* pane = new QWidget;
    pane->setObjectName(objectName);
    auto* layout = new QVBoxLayout(pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(title);
    layout->addWidget(content, 1);
    return pane;
}

// The vertical splitter's handle, holding the button that collapses the
// left pane. While the pane is collapsed the handle is no splitter: it
// cannot be dragged and shows the plain pointer.
class SeparatorHandle : public QSplitterHandle {
public:
    SeparatorHandle(QSplitter* parent, const bool& collapsed)
        : QSplitterHandle(Qt::Horizontal, parent), m_collapsed(collapsed)
    {
        setObjectName(QStringLiteral("VerticalSeparator"));
        button = new QToolButton(this);
        button->setObjectName(QStringLiteral("btVerticalSeparator"));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setCursor(Qt::ArrowCursor);
        button->setIconSize(QSize(5, 64));
        button->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; background: transparent; }"));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addStretch(1);
        layout->addWidget(button, 0, Qt::AlignHCenter);
        layout->addStretch(1);
    }

    void FollowState() { setCursor(m_collapsed ? Qt::ArrowCursor : Qt::SplitHCursor); }

    QToolButton* button;
    std::function<void()> onPress;

protected:
    void mousePressEvent(QMouseEvent* e) override
    {
        if (m_collapsed)
            return;
        if (onPress)
            onPress();
        QSplitterHandle::mousePressEvent(e);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!m_collapsed)
            QSplitterHandle::mouseMoveEvent(e);
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (!m_collapsed)
            QSplitterHandle::mouseReleaseEvent(e);
    }

private:
    const bool& m_collapsed;
};

class Separator : public QSplitter {
public:
    Separator(const bool& collapsed) : QSplitter(Qt::Horizontal), m_collapsed(collapsed) {}

protected:
    QSplitterHandle* createHandle() override { return new SeparatorHandle(this, m_collapsed); }

private:
    const bool& m_collapsed;
};

}  // namespace

MainLayout::MainLayout(QWidget* projectTree, QWidget* declList, QWidget* documentArea, QWidget* parent)
    : QWidget(parent)
{
    m_projectTitle = new TitleBand(QStringLiteral("l1"));
    m_declTitle = new TitleBand(QStringLiteral("l2"));

    m_leftPane = new QSplitter(Qt::Vertical);
    m_leftPane->setObjectName(QStringLiteral("PrjDocContainer"));
    m_leftPane->addWidget(TitledPane(QStringLiteral("PrjTreeContainer"), m_projectTitle, projectTree));
    m_leftPane->addWidget(TitledPane(QStringLiteral("DocTreePane"), m_declTitle, declList));
    m_leftPane->setHandleWidth(8);
    m_leftPane->handle(1)->setObjectName(QStringLiteral("HorizontalSlider"));
    m_leftPane->setChildrenCollapsible(false);
    m_leftPane->setStretchFactor(1, 1);
    m_leftPane->setMinimumWidth(kMinLeftPaneWidth);

    documentArea->setMinimumWidth(kMinDocumentWidth);
    m_vertical = new Separator(m_collapsed);
    m_vertical->setObjectName(QStringLiteral("MainSplitter"));
    m_vertical->setHandleWidth(7);
    m_vertical->addWidget(m_leftPane);
    m_vertical->addWidget(documentArea);
    m_vertical->setStretchFactor(0, 0);
    m_vertical->setStretchFactor(1, 1);
    m_vertical->setCollapsible(0, true);
    m_vertical->setCollapsible(1, false);
    // A drag shows where the splitter will go and lays out once, on release:
    // the editor and the help page are not redrawn at every mouse move.
    m_vertical->setOpaqueResize(false);
    m_leftPane->setOpaqueResize(false);

    auto* handle = static_cast<SeparatorHandle*>(m_vertical->handle(1));
    // However the pane is closed, it comes back at the width it had open:
    // taken as a drag starts, since one that closes it leaves none to read.
    handle->onPress = [this] { SavedSplitterLeft = m_vertical->sizes().value(0); };
    m_button = handle->button;
    m_button->installEventFilter(this);
    connect(m_button, &QToolButton::clicked, this, [this] { ToggleLeftPane(); });
    // Dragged to the edge, the pane collapses as if by the button.
    connect(m_vertical, &QSplitter::splitterMoved, this, [this] { FollowSplitter(); });
    handle->FollowState();

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_vertical);
}

void MainLayout::SetTitles(const QString& project, const QString& declarations)
{
    m_projectTitle->setText(project);
    m_declTitle->setText(declarations);
}

void MainLayout::SetTitleColours(const QColor& from, const QColor& to, const QColor& text)
{
    static_cast<TitleBand*>(m_projectTitle)->SetColours(from, to, text);
    static_cast<TitleBand*>(m_declTitle)->SetColours(from, to, text);
}

void MainLayout::AddBottomPane(QWidget* pane)
{
    if (!m_bottom) {
        m_bottom = new QSplitter(Qt::Vertical);
        m_bottom->setObjectName(QStringLiteral("DocumentSplitter"));
        m_bottom->setOpaqueResize(false);
        QWidget* documents = m_vertical->widget(1);
        m_vertical->replaceWidget(1, m_bottom);
        // As the document area did: it takes what the window gains.
        m_vertical->setStretchFactor(1, 1);
        m_bottom->addWidget(documents);
        m_bottom->setCollapsible(0, false);
        m_bottom->setStretchFactor(0, 1);
    }
    m_bottom->addWidget(pane);
    const int index = m_bottom->indexOf(pane);
    m_bottom->setCollapsible(index, false);
    m_bottom->setStretchFactor(index, 0);
}

void MainLayout::SetSplitterPictures(std::function<QIcon(int)> pictures)
{
    m_pictures = std::move(pictures);
    ShowButtonPicture(m_hot);
}

void MainLayout::ShowButtonPicture(bool hot)
{
    m_hot = hot;
    if (m_pictures)
        m_button->setIcon(m_pictures((m_collapsed ? 2 : 1) + (hot ? 2 : 0)));
}

void MainLayout::ToggleLeftPane()
{
    SetLeftPaneCollapsed(!m_collapsed);
    Q_EMIT LeftPaneToggled(m_collapsed);
}

void MainLayout::SetLeftPaneCollapsed(bool collapsed)
{
    if (collapsed == m_collapsed)
        return;
    const QList<int> sizes = m_vertical->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    if (collapsed) {
        SavedSplitterLeft = sizes.value(0);
        m_collapsed = true;
        m_vertical->setSizes({0, total});
    } else {
        m_collapsed = false;
        const int width = SavedSplitterLeft > 0 ? SavedSplitterLeft : kMinLeftPaneWidth;
        m_vertical->setSizes({width, std::max(0, total - width)});
    }
    static_cast<SeparatorHandle*>(m_vertical->handle(1))->FollowState();
    ShowButtonPicture(m_hot);
}

void MainLayout::FollowSplitter()
{
    const bool collapsed = m_vertical->sizes().value(0) == 0;
    if (collapsed == m_collapsed)
        return;
    m_collapsed = collapsed;
    static_cast<SeparatorHandle*>(m_vertical->handle(1))->FollowState();
    ShowButtonPicture(m_hot);
    Q_EMIT LeftPaneToggled(m_collapsed);
}

int MainLayout::LeftPaneWidth() const
{
    return m_collapsed ? SavedSplitterLeft : m_vertical->sizes().value(0);
}

void MainLayout::SetLeftPaneWidth(int width)
{
    width = std::max(width, int(kMinLeftPaneWidth));
    SavedSplitterLeft = width;
    if (m_collapsed)
        return;
    const QList<int> sizes = m_vertical->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    m_vertical->setSizes({width, std::max(1, total - width)});
}

int MainLayout::ProjectPaneHeight() const
{
    return m_leftPane->sizes().value(0);
}

void MainLayout::SetProjectPaneHeight(int height)
{
    const QList<int> sizes = m_leftPane->sizes();
    const int total = std::max(sizes.value(0) + sizes.value(1), height + 1);
    m_leftPane->setSizes({height, total - height});
}

void MainLayout::SetFirstStartSizes(int declTabsWidth)
{
    // The design's 224 pixels, or what the declaration tabs need to show
    // whole, within a third of the window.
    const int width = std::clamp(declTabsWidth, 224, std::max(224, this->width() / 3));
    SetLeftPaneWidth(width);
    const int paneHeight = std::max(m_leftPane->height(), 200);
    SetProjectPaneHeight(std::min(248, paneHeight * 3 / 10));
}

bool MainLayout::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_button) {
        if (event->type() == QEvent::Enter)
            ShowButtonPicture(true);
        else if (event->type() == QEvent::Leave)
            ShowButtonPicture(false);
    }
    return QWidget::eventFilter(watched, event);
}
