// Where the main window opens and how its panes and toolbars are arranged:
// as the user left them, or at first start a roomy window that fits the
// screen with its frame.
#include "mainwindow/MainWindow.h"

#include "mainwindow/BandLayout.h"
#include "mainwindow/BottomPanel.h"
#include "mainwindow/MainLayout.h"
#include "mainwindow/ToolbarBands.h"
#include "mainwindow/WindowState.h"
#include "startup/App.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QTabBar>

namespace {

// The room a window manager's frame takes (a title bar and thin borders)
// until the real frame is known.
constexpr QMargins kFrameGuess(4, 32, 4, 4);

// The first-start window: most of the screen, and never smaller than room for
// the panes and a wide editor when the screen has it.
QSize FirstStartSize(const QRect& room)
{
    return QSize(std::max(1280, room.width() * 85 / 100), std::max(860, room.height() * 85 / 100))
        .boundedTo(room.size());
}

// The screen whose free area shows the window's title bar, if any does.
QScreen* ScreenShowingTitle(const QRect& geometry)
{
    const QRect titleBar(geometry.left(), geometry.top() - kFrameGuess.top(), geometry.width(), kFrameGuess.top());
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = screen->availableGeometry().intersected(titleBar);
        if (seen.width() >= 100 && seen.height() > 0)
            return screen;
    }
    return nullptr;
}

// `r` moved and shrunk as little as needed to lie inside `room`.
QRect Inside(QRect r, const QRect& room)
{
    r.setSize(r.size().boundedTo(room.size()));
    r.moveLeft(std::clamp(r.left(), room.left(), room.right() - r.width() + 1));
    r.moveTop(std::clamp(r.top(), room.top(), room.bottom() - r.height() + 1));
    return r;
}

}  // namespace

void MainWindow::RestoreArrangement()
{
    const WindowState state = LoadWindowState(m_app.layout.PrefsPath());

    QScreen* screen = state.geometry ? ScreenShowingTitle(*state.geometry) : nullptr;
    const bool saved = screen != nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const QRect room = screen->availableGeometry().marginsRemoved(kFrameGuess);
        QRect placed(QPoint(), FirstStartSize(room));
        placed.moveCenter(room.center());
        setGeometry(saved ? Inside(*state.geometry, room) : placed);
    }
    setMinimumSize(MainLayout::kMinLeftPaneWidth + MainLayout::kMinDocumentWidth + 40, 420);
    if (state.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);

    if (const auto rows = ParseBands(state.bands, m_bands->Names()))
        m_bands->SetArrangement(*rows);
    else
        m_bands->FitToolbarBands();

    // The splitters divide the room the window has now. A pane that comes
    // back collapsed only keeps its width for the way back: the splitter of
    // a window not yet shown may not have room for it.
    layout()->activate();
    m_layout->SetLeftPaneCollapsed(state.leftPaneCollapsed);
    m_bottomPanel->SetOpenHeight(state.bottomPanelHeight);
    m_bottomPanel->SetCollapsed(!state.bottomPanelOpen);
    if (state.leftPaneWidth > 0 && state.projectPaneHeight > 0) {
        m_layout->SetLeftPaneWidth(state.leftPaneWidth);
        m_layout->SetProjectPaneHeight(state.projectPaneHeight);
    } else {
        const QTabBar* kinds = findChild<QTabBar*>(QStringLiteral("TabStripDocTree"));
        m_layout->SetFirstStartSizes(kinds ? kinds->sizeHint().width() + 4 : 0);
    }
}

void MainWindow::SaveArrangement()
{
    WindowState state;
    state.geometry = normalGeometry();
    state.maximized = isMaximized();
    state.leftPaneWidth = m_layout->LeftPaneWidth();
    state.projectPaneHeight = m_layout->ProjectPaneHeight();
    state.leftPaneCollapsed = m_layout->LeftPaneCollapsed();
    state.bottomPanelHeight = m_bottomPanel->OpenHeight();
    state.bottomPanelOpen = !m_bottomPanel->Collapsed();
    state.bands = FormatBands(m_bands->Arrangement());
    // Not said when it fails: the settings written next to it in the same
    // file report that, once.
    SaveWindowState(m_app.layout.PrefsPath(), state);
}

void MainWindow::KeepOnScreen()
{
    if (isMaximized() || isFullScreen() || isMinimized() || !screen())
        return;
    const QRect area = screen()->availableGeometry();
    const QRect frame = frameGeometry();
    if (area.contains(frame))
        return;
    const QRect inner = geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                           frame.bottom() - inner.bottom());
    setGeometry(Inside(inner, area.marginsRemoved(margins)));
}
