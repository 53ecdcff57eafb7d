#include "mainwindow/MainWindow.h"

#include "assist/CodeAssist.h"
#include "model/ProgramHost.h"
#include "build/InstallCommands.h"
#include "editor/EditCtrl.h"
#include "editor/Vocabulary.h"
#include "startup/App.h"

#include <QDir>

void MainWindow::ReadInstallCommands()
{
    if (!m_installCommands) {
        m_installCommands = new InstallCommands(this);
        connect(m_installCommands, &InstallCommands::Changed, this, &MainWindow::UseInstallCommands);
    }
    m_installCommands->Start(m_app.settings.B3DRoot(), installcommands::CachePath(m_app.layout.stateDir));
}

void MainWindow::UseInstallCommands()
{
    const CUILabels& labels = m_app.labels;
    switch (m_installCommands->source()) {
    case InstallCommands::Source::Shipped:
        m_app.commandsFrom = labels.getValue(QStringLiteral("commandsfromlist"));
        return;
    case InstallCommands::Source::Reading:
        m_app.commandsFrom = labels.getValue(QStringLiteral("commandsfromreading"));
        return;
    case InstallCommands::Source::Failed:
        m_app.commandsFrom =
            labels.getValue(QStringLiteral("commandsfromfailed")).replace(QStringLiteral("#reason#"), m_installCommands->reason());
        return;
    case InstallCommands::Source::Compiler: break;
    }
    m_app.commandsFrom = labels.getValue(QStringLiteral("commandsfromcompiler"));
    // The compiler's list holds the userlibs too: it takes the place of both.
    auto style = std::make_shared<EditorKeywordStyle>(EditorKeywordStyle{kKindCommand, m_app.settings.CommandsColor});
    EditorKeywordList list;
    try {
        AddCommands(m_installCommands->list(), QStringLiteral("blitzcc +k"), style, list);
    } catch (const std::exception&) {
        m_app.commandsFrom = labels.getValue(QStringLiteral("commandsfromlist"));
        return;
    }
    *m_app.keywordList = std::move(list);
    m_app.keywordList->KeysChanged();
    m_programs->SetVocabulary(ProgramHost::VocabularyOf(*m_app.keywordList));
    m_editor->Refresh(true);
}
