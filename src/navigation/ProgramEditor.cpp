#include "navigation/ProgramEditor.h"

#include "documents/DocumentFiles.h"
#include "documents/DocumentManager.h"
#include "editor/EditCtrl.h"
#include "model/ModelFeed.h"
#include "platform/FileStatus.h"
#include "platform/Prompter.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"
#include "startup/Labels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <set>

namespace {

std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

}  // namespace

QString ProgramEditor::CurrentPath() const
{
    const CDoc* doc = m_host.docs.CurrentDoc();
    if (!doc)
        return {};
    m_host.events.TakeEdits();
    return ProgramPath(*doc);
}

CDoc* ProgramEditor::DocOf(std::string_view key) const
{
    // A file open under another name is that document: a write behind it
    // would leave the user to throw away either their edit or the change.
    const std::string open = m_host.programs.OpenKeyOf(key);
    for (const CDocPtr& d : m_host.docs.Docs())
        if (ProgramHost::KeyOf(ProgramPath(*d)) == open)
            return d.get();
    return nullptr;
}

QString ProgramEditor::TitleOf(std::string_view key) const
{
    if (const CDoc* doc = DocOf(key))
        return doc->FileTitle;
    return QFileInfo(m_host.programs.PathOf(key)).fileName();
}

JumpPlace ProgramEditor::PlaceOf(std::string_view key, std::uint32_t row, std::uint32_t col) const
{
    if (const CDoc* doc = DocOf(key))
        return {doc->Key, doc->FilePath, int(row) + 1, int(col)};
    return {QString(), m_host.programs.PathOf(key), int(row) + 1, int(col)};
}

bool ProgramEditor::Apply(const ProgramEdits& edits, const QString& what)
{
    const auto label = [this](const char* key) { return m_host.labels.getValue(QString::fromLatin1(key)); };
    struct DocChange {
        CDoc* doc;
        const std::vector<TextEdit>* edits;
        TextSplice splice;
    };
    struct FileWrite {
        QString path;
        std::string before, after;
        QString shown;  // the file itself, where the path is a link to it
    };
    std::vector<DocChange> docs;
    std::vector<FileWrite> files;
    QStringList problems;
    std::size_t count = 0;
    for (const FileEdits& f : edits) {
        if (f.edits.empty())
            continue;
        count += f.edits.size();
        if (CDoc* doc = DocOf(f.key)) {
            // One file read under two names gets the same edits twice.
            const auto same = std::find_if(docs.begin(), docs.end(), [&](const DocChange& c) { return c.doc == doc; });
            if (same != docs.end()) {
                if (*same->edits != f.edits)
                    problems << doc->FileTitle + QStringLiteral(": ") + label("changedsince");
                count -= f.edits.size();
                continue;
            }
            std::optional<TextSplice> splice = SpliceEdits(View(m_host.editor.BufferText(*doc->EditorState)), f.edits);
            if (!splice)
                problems << doc->FileTitle + QStringLiteral(": ") + label("changedsince");
            else if (!m_host.editor.FileIsUtf8(*doc->EditorState) && !text::Utf8ToWindows1252(splice->text))
                problems << doc->FileTitle + QStringLiteral(": ") + label("cannothold");
            else
                docs.push_back({doc, &f.edits, std::move(*splice)});
            continue;
        }
        FileWrite w{m_host.programs.PathOf(f.key), {}, {}, {}};
        const QString shown = QDir::toNativeSeparators(w.path) + QStringLiteral(": ");
        QFile file;
        QString why;
        if (!OpenRegularFile(file, w.path, &why)) {
            problems << shown + why;
            continue;
        }
        w.before = file.readAll().toStdString();
        // As the model read it: a Windows-1252 file in UTF-8, written back in
        // its own encoding.
        const bool ansi = text::HasNonAscii(w.before) && !text::IsValidUtf8(w.before);
        const std::string read = ansi ? text::Windows1252ToUtf8(w.before) : w.before;
        const std::optional<std::string> after =
            m_host.programs.Text(f.key) == read ? ApplyEdits(read, f.edits) : std::nullopt;
        const std::optional<std::string> bytes = !after || !ansi ? after : text::Utf8ToWindows1252(*after);
        if (!after)
            problems << shown + label("changedsince");
        else if (!bytes)
            problems << shown + label("cannothold");
        else if (!CanSaveDocumentFile(m_host.labels, w.path, &why))
            problems << shown + why;
        else
            files.push_back({w.path, std::move(w.before), *bytes, w.path});
    }
    if (!problems.isEmpty()) {
        m_host.prompter.Tell(label("cannotchange").replace(QStringLiteral("#files#"), problems.join(u'\n')),
                             MsgIcon::Exclamation);
        return false;
    }
    // A link may lead out of the program: the user is named the file really
    // written, and asked before anything outside the program's folder changes.
    const QString programFolder = QFileInfo(QFileInfo(m_host.programs.MainFileOf(CurrentPath())).absolutePath()).canonicalFilePath();
    QStringList outside;
    for (FileWrite& w : files) {
        const QString real = QFileInfo(w.path).canonicalFilePath();
        if (!real.isEmpty())
            w.shown = real;
        if (programFolder.isEmpty() || !w.shown.startsWith(programFolder + u'/'))
            outside << QDir::toNativeSeparators(w.shown);
    }
    if (!outside.isEmpty() &&
        m_host.prompter.Ask(label("writeoutside")
                                .replace(QStringLiteral("#folder#"), QDir::toNativeSeparators(programFolder))
                                .replace(QStringLiteral("#files#"), outside.join(u'\n')),
                            MsgIcon::Question, MsgButtons::OkCancel) != MsgAnswer::Ok)
        return false;

    for (std::size_t i = 0; i < files.size(); ++i) {
        QString error, kept;
        if (SaveDocumentFile(m_host.labels, files[i].path, files[i].after, &error, &kept))
            continue;
        // What was written goes back as it was: the change is all or nothing.
        QStringList notBack;
        for (std::size_t j = 0; j < i; ++j) {
            QString again;
            if (!SaveDocumentFile(m_host.labels, files[j].path, files[j].before, &again))
                notBack << QDir::toNativeSeparators(files[j].path) + QStringLiteral(": ") + again;
            Q_EMIT m_host.docs.FileSaved(files[j].path);
        }
        QString message = label("writefailed")
                              .replace(QStringLiteral("#path#"), QDir::toNativeSeparators(files[i].path))
                              .replace(QStringLiteral("#reason#"), error);
        if (!kept.isEmpty())
            message += QStringLiteral("\n\n") + label("keptcopy").replace(QStringLiteral("#path#"), kept);
        if (!notBack.isEmpty())
            message += QStringLiteral("\n\n") + label("notputback").replace(QStringLiteral("#files#"), notBack.join(u'\n'));
        m_host.prompter.Tell(message, MsgIcon::Critical);
        return false;
    }

    CDoc* start = m_host.docs.CurrentDoc();
    QStringList changedDocs, written;
    for (const DocChange& c : docs) {
        if (m_host.docs.CurrentDoc() != c.doc)
            m_host.docs.ShowDoc(*c.doc);
        const EditorSelection sel = m_host.editor.Selection();
        const EditorScroll scroll = m_host.editor.Scroll();
        m_host.editor.ReplaceSpan({qint64(c.splice.start), qint64(c.splice.end)},
                                  QByteArray(c.splice.text.data(), qsizetype(c.splice.text.size())));
        // The caret stays with the text it was in; rows keep their numbers.
        EditorSelection after = sel;
        after.StartColumn = int(ColumnAfterEdits(*c.edits, std::uint32_t(sel.StartLine), std::uint32_t(sel.StartColumn)));
        after.EndColumn = int(ColumnAfterEdits(*c.edits, std::uint32_t(sel.EndLine), std::uint32_t(sel.EndColumn)));
        m_host.editor.SetSelection(after);
        m_host.editor.SetScroll(scroll);
        changedDocs << c.doc->FileTitle;
    }
    if (start && m_host.docs.CurrentDoc() != start)
        m_host.docs.ShowDoc(*start);
    for (const FileWrite& w : files) {
        // The model and the declaration lists read the file again.
        Q_EMIT m_host.docs.FileSaved(w.path);
        written << QDir::toNativeSeparators(w.shown);
    }

    const QString summary = label("changesummary")
                                .replace(QStringLiteral("#what#"), what)
                                .replace(QStringLiteral("#count#"), QString::number(count))
                                .replace(QStringLiteral("#files#"), QString::number(docs.size() + files.size()));
    m_host.setInfoPanel(summary);
    // Files changed out of sight are named, as no Undo takes them back.
    if (!written.isEmpty()) {
        QString message = summary;
        if (!changedDocs.isEmpty())
            message += QStringLiteral("\n\n") + label("changeddocs") + QStringLiteral("\n") + changedDocs.join(u'\n');
        message += QStringLiteral("\n\n") + label("writtenfiles") + QStringLiteral("\n") + written.join(u'\n');
        m_host.prompter.Tell(message, MsgIcon::Information);
    }
    return true;
}
