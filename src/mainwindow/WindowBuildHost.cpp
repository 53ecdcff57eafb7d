#include "mainwindow/WindowBuildHost.h"

#include "model/ProgramHost.h"
#include "build/CompilerOutput.h"
#include "documents/DocumentFiles.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "mainwindow/MainWindow.h"

WindowBuildHost::WindowBuildHost(MainWindow& window, DocumentManager& docs, EditCtrl& editor, ProgramHost& programs)
    : m_window(window), m_docs(docs), m_editor(editor), m_programs(programs)
{
}

std::optional<BuildMainFile> WindowBuildHost::MainFileOf(const QString& key)
{
    const CDocPtr doc = m_docs.FindDoc(key);
    if (!doc || doc->FilePath.isEmpty())
        return std::nullopt;
    const QString main = m_programs.MainFileOf(doc->FilePath);
    const std::string mainKey = ProgramHost::KeyOf(main);
    if (mainKey == ProgramHost::KeyOf(doc->FilePath))
        return std::nullopt;
    for (const CDocPtr& d : m_docs.Docs())
        if (!d->FilePath.isEmpty() && ProgramHost::KeyOf(d->FilePath) == mainKey)
            return BuildMainFile{main, d->Key};
    return BuildMainFile{main, QString()};
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

std::optional<QString> WindowBuildHost::OpenDoc(const QString& path)
{
    m_docs.OpenDoc(path);
    const CDoc* doc = m_docs.CurrentDoc();
    if (!doc || doc->FilePath.isEmpty() || CanonicalDocPath(doc->FilePath) != CanonicalDocPath(path))
        return std::nullopt;
    return doc->Key;
}

void WindowBuildHost::MarkError(int line, int column)
{
    const EditorBufferPtr buffer = m_editor.CurrentBuffer();
    const QByteArray text = m_editor.LineText(line);
    const int at = EditorColumn(std::string_view(text.constData(), std::size_t(text.size())), column,
                                buffer && m_editor.FileIsUtf8(*buffer));
    m_editor.SetCaret(at, line);
    m_editor.FlashLine(line, 2);
    m_editor.SetErrorMark(line, at);
}

void WindowBuildHost::ClearErrorMark()
{
    m_editor.ClearErrorMark();
}

QString WindowBuildHost::InfoPanelText() const
{
    return m_window.InfoPanel();
}

void WindowBuildHost::SetInfoPanelText(const QString& text)
{
    m_window.SetInfoPanel(text);
}
