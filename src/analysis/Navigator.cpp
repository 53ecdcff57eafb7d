#include "analysis/Navigator.h"

#include "analysis/DocScanner.h"
#include "analysis/EditorEvents.h"
#include "analysis/Navigation.h"
#include "analysis/ReferencesPane.h"
#include "analysis/SourceWords.h"
#include "documents/DocumentFiles.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "platform/FileStatus.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

#include <QFile>
#include <QFileInfo>

#include <utility>

namespace {

char FirstChar(const QString& s)
{
    const QByteArray bytes = s.toLatin1();
    return bytes.isEmpty() ? '\0' : bytes.front();
}

}  // namespace

Navigator::Navigator(NavigatorHost host, QObject* parent) : QObject(parent), m_host(std::move(host))
{
    connect(&m_host.editor, &EditCtrl::CtrlClick, this, [this] { GoToDefinition(); });
    // The right button leaves the caret where it is; the menu it opens
    // offers the commands for the name it was pressed on.
    connect(&m_host.editor, &EditCtrl::MouseUp, this,
            [this](Qt::MouseButtons buttons, Qt::KeyboardModifiers, QPoint at) {
                if (buttons & Qt::RightButton)
                    m_menuPlace = m_host.editor.PositionAt(at);
            });
    connect(&m_host.pane, &ReferencesPane::ReferenceChosen, this, &Navigator::OnReferenceChosen);
}

void Navigator::TakeMenuPlace()
{
    if (const std::optional<CaretPosition> place = std::exchange(m_menuPlace, std::nullopt))
        m_host.editor.SetCaret(place->Column, place->Line, false);
}

JumpPlace Navigator::Here() const
{
    const CDoc* doc = m_host.docs.CurrentDoc();
    if (!doc)
        return {};
    const CaretPosition caret = m_host.editor.CaretPos();
    return {doc->Key, doc->FilePath, caret.Line, caret.Column};
}

CDoc* Navigator::DocOfFile(const QString& path) const
{
    for (const CDocPtr& d : m_host.docs.Docs())
        if (!d->FilePath.isEmpty() && SameDocFile(d->FilePath, path))
            return d.get();
    return nullptr;
}

std::optional<std::string> Navigator::ReadSource(const QString& path) const
{
    // What the user sees of a file open as a document, else the file read
    // as the editor would hold it (so columns count the same bytes).
    if (const CDoc* open = DocOfFile(path))
        return m_host.editor.BufferText(*open->EditorState).toStdString();
    QFile file;
    if (!OpenRegularFile(file, path))
        return std::nullopt;
    std::string bytes = file.readAll().toStdString();
    if (text::HasNonAscii(bytes) && !text::IsValidUtf8(bytes))
        bytes = text::Windows1252ToUtf8(bytes);
    return bytes;
}

bool Navigator::Show(const JumpPlace& place, int length)
{
    CDoc* target = place.docKey.isEmpty() ? nullptr : m_host.docs.FindDoc(place.docKey).get();
    if (!target && !place.path.isEmpty()) {
        target = DocOfFile(place.path);
        if (!target) {
            m_host.docs.OpenDoc(place.path);
            target = DocOfFile(place.path);
        }
    }
    if (!target)
        return false;
    if (m_host.docs.CurrentDoc() != target)
        m_host.docs.ShowDoc(*target, place.line);
    else
        m_host.editor.JumpToLine(place.line);
    const int line = place.line - 1;
    m_host.editor.SetSelection({length > 0, place.column, line, place.column + length, line});
    m_host.editor.FlashLine(place.line, 1);
    m_host.editor.setFocus();
    return true;
}

void Navigator::JumpTo(const JumpPlace& place, int length)
{
    const JumpPlace from = Here();
    if (Show(place, length))
        m_history.Jumped(from, Here());
}

std::optional<Navigator::CaretName> Navigator::NameUnderCaret()
{
    CDoc* doc = m_host.docs.CurrentDoc();
    if (!doc)
        return std::nullopt;
    TakeMenuPlace();
    // The scan follows the text up to this keystroke: only edited lines are read.
    m_host.events.ScanUnlessDisabled();
    const DocScanner* scan = m_host.events.Scanner(doc->Key);
    if (!scan)
        return std::nullopt;
    const char comment = FirstChar(m_host.settings.CommentChar);
    const char quote = FirstChar(m_host.settings.StringChar);
    const CaretPosition caret = m_host.editor.CaretPos();
    const QByteArray lineText = m_host.editor.LineText(caret.Line);
    auto at = words::NameAt(std::string_view(lineText.constData(), std::size_t(lineText.size())), caret.Column,
                            comment, quote);
    if (!at) {
        m_host.setInfoPanel(m_host.labels.getValue(QStringLiteral("nonameatcaret")));
        return std::nullopt;
    }
    return CaretName{*doc, *scan, caret, std::move(at->name), comment, quote};
}

void Navigator::GoToDefinition()
{
    const std::optional<CaretName> at = NameUnderCaret();
    if (!at)
        return;
    const QByteArray text = m_host.editor.Text();
    const EditorKeywordListPtr& vocabulary = m_host.vocabulary;
    const NavigationContext context{at->scan, [this](const QString& path) { return ReadSource(path); },
                                    [&vocabulary](std::string_view name) {
                                        return vocabulary && vocabulary->Find(text::ToLower(name)) != nullptr;
                                    },
                                    at->comment, at->quote};
    const std::optional<SourcePlace> place = FindDefinition(
        std::string_view(text.constData(), std::size_t(text.size())), at->caret.Line, at->caret.Column, context);
    if (!place) {
        m_host.setInfoPanel(m_host.labels.getValue(QStringLiteral("nodeclaration"))
                                .replace(QStringLiteral("#name#"), QString::fromStdString(at->name)));
        return;
    }
    m_host.setInfoPanel(QString());
    const JumpPlace to = place->file.isEmpty() ? JumpPlace{at->doc.Key, at->doc.FilePath, place->line, place->column}
                                               : JumpPlace{QString(), place->file, place->line, place->column};
    JumpTo(to, int(at->name.size()));
}

void Navigator::FindReferences()
{
    const std::optional<CaretName> at = NameUnderCaret();
    if (!at)
        return;
    const QByteArray text = m_host.editor.Text();
    const NavigationContext context{at->scan, [this](const QString& path) { return ReadSource(path); }, {},
                                    at->comment, at->quote};
    const std::vector<Reference> found =
        ::FindReferences(std::string_view(text.constData(), std::size_t(text.size())), at->name, context);

    std::vector<ReferenceRow> rows;
    rows.reserve(found.size());
    for (const Reference& r : found) {
        ReferenceRow row;
        if (r.file.isEmpty()) {
            row.docKey = at->doc.Key;
            row.path = at->doc.FilePath;
            row.title = at->doc.FileTitle;
        } else {
            row.path = r.file;
            row.title = QFileInfo(r.file).fileName();
        }
        row.line = r.line;
        row.column = r.column;
        row.text = QString::fromUtf8(r.lineText.data(), qsizetype(r.lineText.size())).trimmed();
        row.text.replace(QLatin1Char('\t'), QLatin1Char(' '));
        rows.push_back(std::move(row));
    }
    m_referenceLength = int(at->name.size());
    const QString title = m_host.labels.getValue(QStringLiteral("referencesof"))
                              .replace(QStringLiteral("#count#"), QString::number(rows.size()))
                              .replace(QStringLiteral("#name#"), QString::fromStdString(at->name));
    m_host.pane.ShowRows(title, std::move(rows),
                         {m_host.labels.getValue(QStringLiteral("refsfile")),
                          m_host.labels.getValue(QStringLiteral("refsline")),
                          m_host.labels.getValue(QStringLiteral("refstext"))});
    m_host.setInfoPanel(QString());
}

void Navigator::OnReferenceChosen(const ReferenceRow& row)
{
    const JumpPlace place{row.docKey, row.path, row.line, row.column};
    JumpTo(place, m_referenceLength);
}

void Navigator::JumpToLine(int line)
{
    if (const CDoc* doc = m_host.docs.CurrentDoc())
        JumpTo({doc->Key, doc->FilePath, line, 0}, 0);
}

void Navigator::GoBack()
{
    m_history.Keep([this](const JumpPlace& p) { return !p.path.isEmpty() || m_host.docs.FindDoc(p.docKey); });
    if (const std::optional<JumpPlace> place = m_history.Back(Here()))
        Show(*place, 0);
}

void Navigator::GoForward()
{
    m_history.Keep([this](const JumpPlace& p) { return !p.path.isEmpty() || m_host.docs.FindDoc(p.docKey); });
    if (const std::optional<JumpPlace> place = m_history.Forward(Here()))
        Show(*place, 0);
}
