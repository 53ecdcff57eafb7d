#include "mainwindow/MainWindow.h"

#include "platform/Prompter.h"
#include "startup/App.h"
#include "startup/Version.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStatusBar>

MainWindow::MainWindow(App& app, QStringList commandLineDocuments)
    : m_app(app), m_dispatcher(app.log), m_commandLineDocuments(std::move(commandLineDocuments))
{
    setObjectName(QStringLiteral("mainForm"));
    resize(1100, 760);
    m_menus = BuildMenus(*this, m_dispatcher);

    m_infoPanel = new QLabel(this);
    m_infoPanel->setObjectName(QStringLiteral("infoPanel"));
    m_rowColPanel = new QLabel(this);
    m_rowColPanel->setObjectName(QStringLiteral("RowColPanel"));
    statusBar()->addWidget(m_infoPanel, 1);
    statusBar()->addPermanentWidget(m_rowColPanel);

    RegisterCommands();
}

MainWindow::~MainWindow() = default;

void MainWindow::Load()
{
    setWindowTitle(version::WindowTitle());
    m_menus.item(QStringLiteral("mnuAutoindent"))->setChecked(m_app.settings.AutoIndent);
    FirstActivationPending = true;
    ApplyMenuCaptions(m_menus, m_app.labels);
    BuildToolbars(*this, m_menus, m_dispatcher, m_app.labels);
    const bool debug = m_app.settings.DebugEnabled;
    m_menus.button(QStringLiteral("btDebugEnabled"))->setChecked(debug);
    m_menus.item(QStringLiteral("mnuDebugEnabled"))->setChecked(debug);
    m_rowColPanel->setText(
        m_app.labels.getValue(QStringLiteral("l3")).replace(QStringLiteral("#row#"), QStringLiteral("0")).replace(QStringLiteral("#col#"), QStringLiteral("0")));
    QApplication::processEvents();
}

void MainWindow::UpdateCommandState()
{
}

QString MainWindow::InfoPanel() const
{
    return m_infoPanel->text();
}

void MainWindow::SetInfoPanel(const QString& text)
{
    m_infoPanel->setText(text);
}

bool MainWindow::event(QEvent* e)
{
    const bool handled = QMainWindow::event(e);
    if (e->type() == QEvent::WindowActivate && FirstActivationPending)
        OnFirstActivation();
    return handled;
}

void MainWindow::OnFirstActivation()
{
    FirstActivationPending = false;
}

void MainWindow::RegisterCommands()
{
    m_dispatcher.SetAction(QStringLiteral("mnuExit"), [this] {
        if (m_app.prompter.Ask(m_app.labels.getValue(QStringLiteral("askexit")), MsgIcon::Information,
                               MsgButtons::OkCancel)
            == MsgAnswer::Ok)
            close();
    });
    QAction* logToFile = m_menus.item(QStringLiteral("mnuLogToFile"));
    connect(logToFile, &QAction::triggered, this, [this](bool on) {
        if (on)
            m_app.log.OpenLog();
        else
            m_app.log.CloseLog();
    });
}
