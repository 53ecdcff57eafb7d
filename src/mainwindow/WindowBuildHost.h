#pragma once

#include "build/BuildHost.h"

#include <functional>

class DocumentManager;
class EditCtrl;
class MainWindow;
class ProgramHost;

// The build's view of the main window, over its documents and editor.
class WindowBuildHost : public BuildHost {
public:
    WindowBuildHost(MainWindow& window, DocumentManager& docs, EditCtrl& editor, ProgramHost& programs);

    std::optional<BuildDocInfo> FindDoc(const QString& key) const override;
    std::optional<BuildMainFile> MainFileOf(const QString& key) override;
    QString CurrentDocKey() const override;
    void SaveDoc(const QString& key) override;
    void ShowDocAtLine(const QString& key, int line) override;
    std::optional<QString> OpenDoc(const QString& path) override;
    void MarkError(int line, int column) override;
    void ClearErrorMark() override;
    QString InfoPanelText() const override;
    void SetInfoPanelText(const QString& text) override;

private:
    MainWindow& m_window;
    DocumentManager& m_docs;
    EditCtrl& m_editor;
    ProgramHost& m_programs;
};
