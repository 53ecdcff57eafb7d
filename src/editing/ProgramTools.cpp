#include "editing/ProgramTools.h"

#include "navigation/ChangePreview.h"
#include "navigation/Navigator.h"
#include "model/ProgramHost.h"
#include "navigation/Renamer.h"
#include "navigation/SymbolBox.h"
#include "editing/DialogFindInProgram.h"
#include "editing/ProgramSearchPane.h"
#include "editor/EditCtrl.h"
#include "platform/Prompter.h"
#include "startup/Labels.h"

ProgramTools::ProgramTools(ProgramToolsHost host, QObject* parent)
    : QObject(parent), m_editor(std::move(host)), m_pane(new ProgramSearchPane)
{
    connect(m_pane, &ProgramSearchPane::MatchChosen, this,
            [this](const std::string& key, std::uint32_t row, std::uint32_t col, std::uint32_t length) {
                m_editor.host().navigator.JumpToPlace(m_editor.PlaceOf(key, row, col), int(length));
            });
}

ProgramTools::~ProgramTools() = default;

void ProgramTools::Rename()
{
    RenameAtCaret(m_editor);
}

SymbolBox& ProgramTools::symbolBox()
{
    if (!m_symbols)
        m_symbols = new SymbolBox(m_editor, &m_editor.host().window);
    return *m_symbols;
}

void ProgramTools::GoToSymbol()
{
    symbolBox().Open();
}

DialogFindInProgram& ProgramTools::findDialog()
{
    if (!m_dialog) {
        m_dialog = new DialogFindInProgram(m_editor.host().labels, &m_editor.host().window);
        connect(m_dialog, &DialogFindInProgram::FindAllAsked, this, &ProgramTools::FindAll);
        connect(m_dialog, &DialogFindInProgram::ReplaceAllAsked, this, &ProgramTools::ReplaceAll);
    }
    return *m_dialog;
}

void ProgramTools::FindInProgram()
{
    if (m_editor.CurrentPath().isEmpty())
        return;
    const EditCtrl& editor = m_editor.host().editor;
    const EditorSelection sel = editor.Selection();
    // A selection within a line is what to find; a longer one is not.
    const QByteArray seed = !sel.Present ? editor.WordAtCaret() : sel.StartLine == sel.EndLine ? editor.SelectedText() : QByteArray();
    findDialog().Open(QString::fromUtf8(seed));
}

void ProgramTools::HideFindDialog()
{
    findDialog().hide();
    // The keys go back to the window, Alt+Left and the editor's among them,
    // even where the desktop leaves the hidden dialog the active window.
    m_editor.host().window.activateWindow();
}

namespace {

std::vector<search::FileMatches> SearchProgram(const ProgramEditor& editor, const QString& path, const std::string& what,
                                               const search::ProgramOptions& options)
{
    ProgramHost& programs = editor.host().programs;
    return search::FindInFiles(
        programs.ProgramOf(path).Files(), [&programs](const std::string& key) { return programs.Text(key); }, what,
        options);
}

}  // namespace

void ProgramTools::FindAll()
{
    const QString path = m_editor.CurrentPath();
    const QString what = findDialog().What();
    if (path.isEmpty() || what.isEmpty())
        return;
    const std::vector<search::FileMatches> found =
        SearchProgram(m_editor, path, what.toStdString(), findDialog().Options());
    std::size_t count = 0;
    for (const search::FileMatches& f : found)
        count += f.matches.size();
    const QString title = m_editor.host()
                              .labels.getValue(QStringLiteral("findresultsof"))
                              .replace(QStringLiteral("#count#"), QString::number(count))
                              .replace(QStringLiteral("#text#"), what)
                              .replace(QStringLiteral("#files#"), QString::number(found.size()));
    HideFindDialog();
    m_pane->ShowResults(title, found, [this](const std::string& key) { return m_editor.TitleOf(key); });
}

void ProgramTools::ReplaceAll()
{
    const ProgramToolsHost& host = m_editor.host();
    const auto label = [&host](const char* key) { return host.labels.getValue(QString::fromLatin1(key)); };
    const QString path = m_editor.CurrentPath();
    const QString what = findDialog().What(), with = findDialog().With();
    const search::ProgramOptions options = findDialog().Options();
    if (path.isEmpty() || what.isEmpty())
        return;
    const auto plan = [&](const QString&) -> ChangePreview::Plan {
        return {{}, search::ReplaceMatches(SearchProgram(m_editor, path, what.toStdString(), options), with.toStdString())};
    };
    ChangePreview::Setup setup;
    setup.title = label("replacetitle").replace(QStringLiteral("#text#"), what).replace(QStringLiteral("#with#"), with);
    setup.name = with;
    setup.confirm = label("replace");
    setup.plan = plan;
    setup.lineText = [&host](std::string_view file, std::uint32_t line) { return host.programs.LineText(file, line); };
    setup.fileTitle = [this](const std::string& file) { return m_editor.TitleOf(file); };
    HideFindDialog();
    ChangePreview preview(std::move(setup), host.labels, &host.window);
    if (preview.exec() != QDialog::Accepted)
        return;
    // Files may have changed on disk while the preview was open.
    const ChangePreview::Plan now = plan(with);
    if (now.edits != preview.Edits()) {
        host.prompter.Tell(label("changedsince"), MsgIcon::Exclamation);
        return;
    }
    if (m_editor.Apply(now.edits, label("replaced").replace(QStringLiteral("#text#"), what).replace(QStringLiteral("#with#"), with)))
        FindAll();  // what is left of the search, usually nothing
}
