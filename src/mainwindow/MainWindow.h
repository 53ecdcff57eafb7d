#pragma once

#include "mainwindow/Commands.h"
#include "mainwindow/MenuBar.h"

#include <QMainWindow>
#include <QStringList>

#include <memory>

class App;
class QLabel;

// The main window: assembles the menus, toolbars, documents, editor, help
// browser and build commands, which each own their actions.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(App& app, QStringList commandLineDocuments);
    ~MainWindow() override;

    // The load steps run once before the window is first shown.
    void Load();

    // Recomputes which commands are enabled after the document situation
    // changed.
    void UpdateCommandState();

    App& app() const { return m_app; }
    CommandDispatcher& dispatcher() { return m_dispatcher; }
    const MainMenus& menus() const { return m_menus; }

    // The status bar's build and message panel.
    QString InfoPanel() const;
    void SetInfoPanel(const QString& text);

protected:
    bool event(QEvent* event) override;

private:
    void RegisterCommands();
    void OnFirstActivation();

    App& m_app;
    CommandDispatcher m_dispatcher;
    MainMenus m_menus;
    QStringList m_commandLineDocuments;
    bool FirstActivationPending = false;

    QLabel* m_infoPanel = nullptr;
    QLabel* m_rowColPanel = nullptr;
};
