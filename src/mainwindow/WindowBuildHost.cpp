#include "mainwindow/WindowBuildHost.h"

#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"


WindowBuildHost::WindowBuildHost(MainWindow& window, DocumentManager& docs, EditCtrl& editor)
    : m_window(window), m_docs(docs), m_editor(editor)
{
}

std::optional<BuildDocInfo> WindowBuildHost::FindDoc(const QString& key) const
{
    const CDocPtr doc = m_docs.FindDoc(key);
    if (!doc)
        return std::nullopt;
    return BuildDocInfo{doc->Key, doc->FilePath, doc->FileTitle, doc->Modified};
}

QString WindowBuildHost::CurrentDocKey() const
{
    const CDoc* doc = m_docs.CurrentDoc();
    return doc ? doc->Key : QString();
}

void WindowBuildHost::SaveDoc(const QString& key)
{
    if (const CDocPtr doc = m_docs.FindDoc(key))
        m_docs.SaveDoc(*doc, true);
}

void WindowBuildHost::ShowDocAtLine(const QString& key, int line)
{
    if (const CDocPtr doc = m_docs.FindDoc(key))
        m_docs.ShowDoc(*doc, line);
}

void WindowBuildHost::FlashErrorLine(int line)
{
    m_editor.FlashLine(line, 2);
}

QString WindowBuildHost::InfoPanelText() const
{
    return m_window.InfoPanel();
}

void WindowBuildHost::SetInfoPanelText(const QString& text)
{
    m_window.SetInfoPanel(text);
}
