#include "navigation/Navigator.h"

#include "assist/SourceWords.h"
#include "documents/DocumentFiles.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "model/ModelFeed.h"
#include "panes/ReferencesPane.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

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
    // The model follows the text up to this keystroke.
    m_host.events.TakeEdits();
    const CaretPosition caret = m_host.editor.CaretPos();
    const QByteArray lineText = m_host.editor.LineText(caret.Line);
    auto at = words::NameAt(std::string_view(lineText.constData(), std::size_t(lineText.size())), caret.Column,
                            FirstChar(m_host.settings.CommentChar), FirstChar(m_host.settings.StringChar));
    if (!at) {
        m_host.setInfoPanel(m_host.labels.getValue(QStringLiteral("nonameatcaret")));
        return std::nullopt;
    }
    return CaretName{*doc, ProgramPath(*doc), caret, std::move(at->name)};
}

JumpPlace Navigator::PlaceOf(const std::string& key, std::uint32_t row, std::uint32_t column) const
{
    for (const CDocPtr& d : m_host.docs.Docs())
        if (ProgramHost::KeyOf(ProgramPath(*d)) == key)
            return {d->Key, d->FilePath, int(row) + 1, int(column)};
    return {QString(), m_host.programs.PathOf(key), int(row) + 1, int(column)};
}

void Navigator::GoToDefinition()
{
    const std::optional<CaretName> at = NameUnderCaret();
    if (!at)
        return;
    const std::optional<lang::Range> place = m_host.programs.ProgramOf(at->path).Definition(
        ProgramHost::KeyOf(at->path), std::uint32_t(at->caret.Line - 1), std::uint32_t(at->caret.Column));
    if (!place) {
        m_host.setInfoPanel(m_host.labels.getValue(QStringLiteral("nodeclaration"))
                                .replace(QStringLiteral("#name#"), QString::fromStdString(at->name)));
        return;
    }
    m_host.setInfoPanel(QString());
    JumpTo(PlaceOf(place->file, place->row, place->col), int(place->endCol - place->col));
}

void Navigator::FindReferences()
{
    const std::optional<CaretName> at = NameUnderCaret();
    if (!at)
        return;
    ProgramHost& programs = m_host.programs;
    lang::Program& program = programs.ProgramOf(at->path);
    std::vector<lang::Range> found =
        program.References(ProgramHost::KeyOf(at->path), std::uint32_t(at->caret.Line - 1), std::uint32_t(at->caret.Column));
    if (found.empty()) {
        // A name the program declares nowhere (a command): its uses as a word.
        for (const std::string& key : program.Files())
            if (const std::optional<std::string> text = programs.Text(key))
                words::ForEachUse(
                    *text, at->name,
                    [&](const words::Use& use) {
                        found.push_back({key, std::uint32_t(use.line - 1), std::uint32_t(use.column),
                                         std::uint32_t(use.column + int(at->name.size()))});
                        return true;
                    },
                    FirstChar(m_host.settings.CommentChar), FirstChar(m_host.settings.StringChar));
    }

    std::vector<ReferenceRow> rows;
    rows.reserve(found.size());
    for (const lang::Range& r : found) {
        const JumpPlace place = PlaceOf(r.file, r.row, r.col);
        ReferenceRow row;
        row.docKey = place.docKey;
        row.path = place.path;
        const CDocPtr doc = place.docKey.isEmpty() ? nullptr : m_host.docs.FindDoc(place.docKey);
        row.title = doc ? doc->FileTitle : QFileInfo(place.path).fileName();
        row.line = place.line;
        row.column = place.column;
        const std::string line = programs.LineText(r.file, r.row);
        row.text = QString::fromUtf8(line.data(), qsizetype(line.size())).trimmed();
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
