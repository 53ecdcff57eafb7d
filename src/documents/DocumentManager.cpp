#include "documents/DocumentManager.h"

#include "documents/DocumentFiles.h"
#include "documents/DocumentTabs.h"
#include "editor/EditCtrl.h"
#include "help/HelpArea.h"
#include "platform/CommonDialog.h"
#include "platform/Prompter.h"
#include "platform/Windows1252.h"
#include "startup/Labels.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScopedValueRollback>

#include <utility>

namespace {

// The wait cursor for as long as a long step runs.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

QString UnableToOpen(QString label, const QString& path, const QString& error)
{
    return label.replace(QStringLiteral("#path#"), path).replace(QStringLiteral("#reason#"), error);
}

}  // namespace

DocumentManager::DocumentManager(EditCtrl& editor, DocumentTabs& tabs, HelpArea& help, const CUILabels& labels,
                                 Prompter& prompter, CommonDialog& dialogs, QObject* parent)
    : QObject(parent), m_editor(editor), m_tabs(tabs), m_help(help), m_labels(labels), m_prompter(prompter),
      m_dialogs(dialogs)
{
    connect(&m_tabs, &DocumentTabs::TabClicked, this, &DocumentManager::OnTabClicked);
    connect(&m_tabs, &DocumentTabs::FilesDropped, this, &DocumentManager::OpenDroppedFiles);
    // A file is often written in several steps (or replaced by a rename):
    // it is looked at once they have settled.
    m_diskCheck.setSingleShot(true);
    m_diskCheck.setInterval(250);
    connect(&m_diskCheck, &QTimer::timeout, this, &DocumentManager::CheckDiskFiles);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_diskCheck, qOverload<>(&QTimer::start));
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_diskCheck, qOverload<>(&QTimer::start));
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive && m_diskCheckPending)
            m_diskCheck.start();
    });
}

bool DocumentManager::AskForUtf8(const CDoc& doc)
{
    const QString lacking = text::Windows1252Lacks(QString::fromUtf8(m_editor.BufferText(*doc.EditorState)));
    const QString question = Label("askutf8")
                                 .replace(QStringLiteral("#docname#"), doc.FileTitle)
                                 .replace(QStringLiteral("#chars#"), lacking);
    return m_prompter.Ask(question, MsgIcon::Question, MsgButtons::OkCancel) == MsgAnswer::Ok;
}

DocumentManager::~DocumentManager() = default;

QString DocumentManager::Label(const char* key) const
{
    return m_labels.getValue(QString::fromLatin1(key));
}

CDocPtr DocumentManager::FindDoc(const QString& key) const
{
    for (const CDocPtr& d : m_docs)
        if (d->Key == key)
            return d;
    return nullptr;
}

void DocumentManager::NewDoc()
{
    SaveDocState();
    auto doc = std::make_shared<CDoc>();
    const int n = NextDocNumber();
    doc->Key = QStringLiteral("Doc_%1").arg(n);
    doc->FileTitle = Label("newfile") + QStringLiteral("_%1").arg(n);
    doc->EditorState = m_editor.NewBuffer();
    m_docs.append(doc);
    m_current = doc;
}

void DocumentManager::NewDocCommand()
{
    NewDoc();
    ActivateDoc(*m_current, -1);
    RefreshTabs();
}

void DocumentManager::SaveDocState()
{
    if (!m_current)
        return;
    const CaretPosition caret = m_editor.CaretPos();
    m_current->CaretCol = caret.Column;
    m_current->CaretLine = caret.Line;
    m_current->SavedSelection = m_editor.Selection();
    m_current->EditorState = m_editor.CurrentBuffer();
}

void DocumentManager::ActivateDoc(CDoc& doc, int line)
{
    if (m_help.BrowserShown())
        m_help.ShowEditor();
    // The buffer brings back its text, undo history, caret, selection and
    // scroll position.
    m_editor.SelectBuffer(doc.EditorState);
    if (doc.SavedSelection)
        m_editor.SetSelection(*doc.SavedSelection);
    m_editor.SetDeclaredKeywords(doc.DocKeywords);
    if (line >= 0)
        m_editor.JumpToLine(line);
    m_editor.Refresh();
    Q_EMIT DocActivated(&doc);
    m_editor.setFocus();
    if (std::exchange(doc.RescanWanted, false))
        Q_EMIT FileLoaded(&doc);
}

void DocumentManager::ShowDoc(CDoc& doc, int line)
{
    // The state of the document in the editor is kept first, also when it is
    // `doc` itself: activating hands its saved selection back.
    SaveDocState();
    m_current = FindDoc(doc.Key);
    m_tabs.SelectQuietly(doc.Key);
    ActivateDoc(doc, line);
}

void DocumentManager::RefreshTabs()
{
    m_tabs.SuppressTabClick = true;
    m_tabs.RemoveAll();
    m_tabs.AddTab(QString::fromLatin1(DocumentTabs::kHelpTabKey), Label("helptab"), DocumentTabs::kHelpPicture);
    for (const CDocPtr& d : m_docs)
        m_tabs.AddTab(d->Key, d->FileTitle, d->Modified ? DocumentTabs::kModifiedPicture : DocumentTabs::kSavedPicture,
                      TabToolTip(*d));
    if (m_current)
        m_tabs.setCurrentIndex(m_tabs.IndexOf(m_current->Key));
    else
        Q_EMIT ParsingHeld(true);
    m_tabs.SuppressTabClick = false;
}

void DocumentManager::OnTabClicked(const QString& key)
{
    Q_EMIT TabClicking();
    if (key == QLatin1String(DocumentTabs::kHelpTabKey)) {
        // The document in the editor keeps its state while the help is shown.
        Q_EMIT HelpTabChosen();
        return;
    }
    SaveDocState();
    m_current = FindDoc(key);
    if (m_current)
        ActivateDoc(*m_current, -1);
}

void DocumentManager::UpdateModified()
{
    // An undo back to the text on disk makes the document unmodified, unless
    // the file no longer holds that text.
    if (!m_current || m_current->Modified == (m_editor.IsModified() || m_current->DiskDiffers))
        return;
    m_current->Modified = !m_current->Modified;
    m_tabs.SetPicture(m_current->Key,
                      m_current->Modified ? DocumentTabs::kModifiedPicture : DocumentTabs::kSavedPicture);
    // An edit made from a toolbar or menu leaves the keyboard with the text.
    m_editor.setFocus();
    Q_EMIT CommandStateChanged();
}

void DocumentManager::OpenDoc(const QString& givenPath)
{
    QString path = givenPath;
    if (path.isEmpty()) {
        FileDialogRequest request;
        request.title = Label("openbbf");
        request.filter = Label("bbf");
        request.startFolder = DialogFolder(m_current.get());
        auto chosen = m_dialogs.OpenFile(request);
        if (!chosen)
            return;
        path = *chosen;
        m_dialogFolder = QFileInfo(path).absolutePath();
    }

    // However the path is written, and by whichever of its hard links: two
    // documents of one file would overwrite each other's text.
    for (const CDocPtr& d : m_docs) {
        if (SameDocFile(d->FilePath, path)) {
            ShowDoc(*d);
            Q_EMIT FileBound(d->FilePath);
            return;
        }
    }

    // The editor lays out a line as a whole: one of many megabytes (a data
    // file, an image) would hold the window for a long time.
    constexpr qint64 kLongLine = 2 << 20;
    const qint64 size = QFileInfo(path).size();
    if (const qint64 longest = size <= EditCtrl::kMaxFileBytes ? LongestLineOver(path, kLongLine) : 0) {
        const QString question = Label("longline")
                                     .replace(QStringLiteral("#path#"), path)
                                     .replace(QStringLiteral("#size#"),
                                              QString::number(double(longest) / (1 << 20), 'f', 1));
        if (m_prompter.Ask(question, MsgIcon::Exclamation, MsgButtons::OkCancel) != MsgAnswer::Ok)
            return;
    }

    Q_EMIT ParsingHeld(true);
    m_editor.SetBusy(true);
    CDocPtr previous = m_current;
    CDocPtr opened;
    QString error;
    {
        WaitCursor wait;
        NewDoc();
        opened = m_current;
        const std::optional<FileStatus> before = StatusOf(path);
        if (m_editor.LoadFile(path, &error)) {
            const DocPathParts parts = SplitDocPath(path);
            opened->FilePath = path;
            opened->FileDir = parts.FileDir;
            opened->FileTitle = parts.FileTitle;
            opened->Modified = false;
            opened->EditorState = m_editor.CurrentBuffer();
            opened->Disk = StampOf(before, m_editor.FileBytes(*opened->EditorState).value_or(QByteArray()));
            // What the user does in here (a tab click, a close) may change
            // the current document or close the new one.
            QApplication::processEvents();
            if (FindDoc(opened->Key)) {
                if (m_current != opened)
                    ShowDoc(*opened);
                Q_EMIT FileLoaded(opened.get());
                m_editor.Refresh(true);
            }
        } else {
            // Nothing opens: the empty document goes again, with its number,
            // and the one that was shown comes back.
            m_docs.removeAll(opened);
            --m_newDocCounter;
            m_current = previous;
            opened.reset();
        }
    }
    m_editor.SetBusy(false);
    Q_EMIT ParsingHeld(false);
    if (!opened) {
        if (m_current)
            ActivateDoc(*m_current, -1);
        if (m_openFailures)
            m_openFailures->append({path, error});
        else
            m_prompter.Tell(UnableToOpen(Label("unabletoopen"), path, error), MsgIcon::Critical);
        return;
    }
    if (!FindDoc(opened->Key))
        return;
    if (m_current != opened)
        ShowDoc(*opened);
    else
        ActivateDoc(*opened, -1);
    RefreshTabs();
    WatchFiles();
    Q_EMIT FileBound(path);
    Q_EMIT CommandStateChanged();
}

QString DocumentManager::TabToolTip(const CDoc& doc)
{
    return doc.FilePath.isEmpty() ? doc.FileTitle : QDir::toNativeSeparators(doc.FilePath);
}

QString DocumentManager::DialogFolder(const CDoc* doc) const
{
    const auto usable = [](const QString& folder) { return !folder.isEmpty() && QFileInfo(folder).isDir(); };
    if (doc && usable(doc->FileDir))
        return QDir::cleanPath(doc->FileDir);
    if (usable(m_dialogFolder))
        return m_dialogFolder;
    return QDir::homePath();
}

void DocumentManager::OpenDocs(const QStringList& paths)
{
    QList<QPair<QString, QString>> failures;
    {
        const QScopedValueRollback collecting(m_openFailures, &failures);
        for (const QString& path : paths)
            OpenDoc(path);
    }
    if (failures.size() == 1) {
        m_prompter.Tell(UnableToOpen(Label("unabletoopen"), failures[0].first, failures[0].second), MsgIcon::Critical);
    } else if (!failures.isEmpty()) {
        // The reasons name their files; a screenful of them is enough.
        constexpr int kShown = 12;
        QString text = Label("unabletoopenmany").replace(QStringLiteral("#count#"), QString::number(failures.size()));
        for (int i = 0; i < failures.size() && i < kShown; ++i)
            text += u'\n' + failures[i].second;
        if (failures.size() > kShown)
            text += u'\n'
                    + Label("andmore").replace(QStringLiteral("#count#"), QString::number(failures.size() - kShown));
        m_prompter.Tell(text, MsgIcon::Critical);
    }
}

void DocumentManager::OpenDroppedFiles(const QStringList& paths)
{
    QStringList sources;
    for (const QString& p : paths)
        if (IsBlitzSource(p))
            sources << p;
    OpenDocs(sources);
}

bool DocumentManager::SaveDoc(CDoc& doc, bool useKnownPath)
{
    QString path = doc.FilePath;
    const bool naming = path.isEmpty() || !useKnownPath;
    if (naming) {
        // The user sees which document the dialog names.
        if (m_current.get() != &doc || m_help.BrowserShown())
            ShowDoc(doc);
        FileDialogRequest request;
        request.title = Label("savebbf");
        request.filter = Label("bbf");
        request.defaultExtension = QStringLiteral(".bb");
        request.startFolder = DialogFolder(&doc);
        auto chosen = m_dialogs.SaveFile(request);
        if (!chosen)
            return false;
        path = *chosen;
        m_dialogFolder = QFileInfo(path).absolutePath();
        // Two documents bound to one file would overwrite each other's text.
        for (const CDocPtr& other : m_docs) {
            if (other.get() != &doc && SameDocFile(other->FilePath, path)) {
                m_prompter.Tell(Label("openinanothertab").replace(QStringLiteral("#path#"), path), MsgIcon::Critical);
                return false;
            }
        }
        if (QFileInfo::exists(path)
            && m_prompter.Ask(Label("overwrite"), MsgIcon::Question, MsgButtons::OkCancel) != MsgAnswer::Ok)
            return false;
    }

    if (!MayOverwrite(doc, path))
        return false;

    // A document keeps its file's encoding while its text fits in it: only
    // a text that no longer fits asks to move the file to UTF-8.
    std::optional<QByteArray> bytes = m_editor.FileBytes(*doc.EditorState);
    const bool toUtf8 = !bytes;
    if (toUtf8) {
        if (!AskForUtf8(doc))
            return false;
        bytes = m_editor.FileBytes(*doc.EditorState, true);
    }
    QString error;
    // A file is written whole or not at all, so one that was there is still
    // there as it was, unless it could not be put back.
    const bool fileThere = QFileInfo(path).isFile();
    QString keptCopy;
    if (!SaveDocumentFile(m_labels, path, std::string_view(bytes->constData(), std::size_t(bytes->size())), &error,
                          &keptCopy)) {
        m_prompter.Tell(Label(!keptCopy.isEmpty() ? "unabletosaveputback"
                              : fileThere         ? "unabletosave"
                                                  : "unabletosavenew")
                            .replace(QStringLiteral("#path#"), path)
                            .replace(QStringLiteral("#reason#"), error)
                            .replace(QStringLiteral("#copy#"), keptCopy),
                        MsgIcon::Critical);
        return false;
    }
    if (toUtf8)
        m_editor.SetFileUtf8(*doc.EditorState);
    m_editor.SetSavePoint(*doc.EditorState);
    doc.DiskDiffers = false;
    // The document follows its new name only once the file is written.
    if (path != doc.FilePath) {
        const DocPathParts parts = SplitDocPath(path);
        doc.FilePath = path;
        doc.FileDir = parts.FileDir;
        doc.FileTitle = parts.FileTitle;
        m_tabs.SetCaption(doc.Key, doc.FileTitle, TabToolTip(doc));
    }
    doc.Disk = StampOf(StatusOf(path), *bytes);
    WatchFiles(path);
    doc.Modified = false;
    m_tabs.SetPicture(doc.Key, DocumentTabs::kSavedPicture);
    Q_EMIT FileSaved(path);
    if (naming)
        Q_EMIT FileBound(path);
    Q_EMIT CommandStateChanged();
    return true;
}

void DocumentManager::SaveAllDocs()
{
    const QList<CDocPtr> docs = m_docs;
    for (const CDocPtr& d : docs)
        SaveDoc(*d, true);
}

bool DocumentManager::CloseDoc(CDoc* doc)
{
    if (!doc)
        return false;
    CDocPtr keep = FindDoc(doc->Key);
    if (!keep)
        return false;
    if (doc->Modified) {
        // The user sees what the question is about.
        if (m_current != keep || m_help.BrowserShown())
            ShowDoc(*doc);
        QString question = Label("closebbf");
        question.replace(QStringLiteral("#docname#"), doc->FileTitle);
        switch (m_prompter.Ask(question, MsgIcon::Exclamation, MsgButtons::YesNoCancel)) {
        case MsgAnswer::Yes:
            if (!SaveDoc(*doc, true) || doc->Modified)
                return false;
            break;
        case MsgAnswer::No:
            break;
        default:
            return false;
        }
    }

    Q_EMIT DocClosing(doc);
    // The document in the editor keeps what the user did to it before another
    // one takes its place.
    if (m_current != keep)
        SaveDocState();
    // The position of its tab (the help tab is the first) picks the next
    // document: closing B of A, B, C, D shows D.
    int t = int(m_docs.indexOf(keep)) + 2;
    m_docs.removeAll(keep);
    if (!m_docs.isEmpty()) {
        while (t > m_docs.size())
            --t;
        m_current = m_docs[t - 1];
        Q_EMIT CommandStateChanged();
        ActivateDoc(*m_current, -1);
    } else {
        m_current.reset();
        m_help.ShowHelpBrowser(false);
        Q_EMIT CommandStateChanged();
        Q_EMIT NoDocuments();
    }
    RefreshTabs();
    WatchFiles();
    return true;
}

void DocumentManager::CloseAllDocs()
{
    const QList<CDocPtr> docs = m_docs;
    for (const CDocPtr& d : docs)
        CloseDoc(d.get());
}

bool DocumentManager::CloseAllForExit()
{
    QApplication::processEvents();
    const QList<CDocPtr> docs = m_docs;
    for (const CDocPtr& d : docs)
        if (!CloseDoc(d.get()))
            return false;
    return true;
}
