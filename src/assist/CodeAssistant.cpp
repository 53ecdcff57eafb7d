#include "assist/CodeAssistant.h"

#include "assist/Completion.h"
#include "assist/DlgInlineHelp.h"
#include "assist/DlgListVar.h"
#include "assist/EditorEvents.h"
#include "assist/Words.h"
#include "documents/DocumentManager.h"
#include "documents/DocumentTabs.h"
#include "editor/EditCtrl.h"
#include "help/HelpArea.h"
#include "help/HelpBrowser.h"
#include "model/ProgramHost.h"
#include "model/ProgramNames.h"
#include "platform/Text.h"
#include "startup/BlitzDir.h"
#include "startup/Labels.h"
#include "startup/Settings.h"

#include <QEvent>

#include <algorithm>

namespace {

// Where the word that ends at `endColumn` begins: just after the nearest
// delimiter on its left. Type suffixes belong to the word, so a completion
// replaces foo$b whole.
int WordStart(std::string_view line, int endColumn)
{
    int start = std::min(endColumn, int(line.size()));
    while (start > 0 && !IsWordDelimiter(line[std::size_t(start) - 1]))
        --start;
    return start;
}

char FirstChar(const QString& s)
{
    const QByteArray bytes = s.toLatin1();
    return bytes.isEmpty() ? '\0' : bytes.front();
}

QByteArray Bytes(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

}  // namespace

CodeAssistant::CodeAssistant(CodeAssistHost host, QWidget* window)
    : QObject(window), m_host(std::move(host)), m_list(new DlgListVar(window)), m_tip(new DlgInlineHelp(window))
{
    setObjectName(QStringLiteral("CodeAssistant"));
    TimerAutocomplete.setInterval(50);
    TimerAutocomplete.setSingleShot(true);
    connect(&TimerAutocomplete, &QTimer::timeout, this, &CodeAssistant::OnAutocompleteTick);
    connect(m_list, &DlgListVar::Chosen, this, &CodeAssistant::OnChosen);
    connect(&m_host.editor, &EditCtrl::Change, this, &CodeAssistant::OnTextChanged);
    // Names and calls belong to the document they were offered in.
    connect(&m_host.docs, &DocumentManager::DocActivated, this, &CodeAssistant::LeaveDocument);
    connect(&m_host.docs, &DocumentManager::NoDocuments, this, &CodeAssistant::LeaveDocument);
    connect(&m_host.docs, &DocumentManager::HelpTabChosen, this, &CodeAssistant::LeaveDocument);
    // However the help browser takes the editor's place, the list must not
    // float over it, nor insert into an editor nobody sees.
    m_host.editor.installEventFilter(this);
}

void CodeAssistant::LeaveDocument()
{
    TimerAutocomplete.stop();
    m_pending.reset();
    CloseList();
    CloseTip();
}

bool CodeAssistant::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_host.editor && event->type() == QEvent::Hide && !event->spontaneous())
        LeaveDocument();
    return QObject::eventFilter(watched, event);
}

CodeAssistant::~CodeAssistant() = default;

EditorKeywordListPtr CodeAssistant::DocKeywords() const
{
    const CDoc* doc = m_host.docs.CurrentDoc();
    if (doc && doc->DocKeywords)
        return doc->DocKeywords;
    return std::make_shared<EditorKeywordList>();
}

std::string CodeAssistant::CaretLine(int* endColumn, bool* selectionPresent) const
{
    const EditorSelection sel = m_host.editor.Selection();
    *endColumn = sel.EndColumn;
    *selectionPresent = sel.Present;
    return m_host.editor.LineText(sel.EndLine + 1).toStdString();
}

QPoint CodeAssistant::CaretOnScreen() const
{
    return m_host.editor.mapToGlobal(m_host.editor.CaretPoint());
}

// --- The autocomplete list ---------------------------------------------------

bool CodeAssistant::PopupShown() const
{
    return m_popupShown;
}

void CodeAssistant::ShowCompletion()
{
    if (!m_host.docs.CurrentDoc())
        return;
    CloseTip();
    int column = 0;
    bool selected = false;
    const std::string line = CaretLine(&column, &selected);
    const std::string word = GetWordBeforeCaret(line, column, selected, false);
    // The names the model knows at the caret: the function's own locals and
    // parameters lead, ahead of the program's constants, globals, arrays,
    // functions and types, the commands and the document's labels.
    EditorKeywordListPtr lead, rest;
    ProgramNamesAtCaret([&](lang::Program& program, const std::string& key, std::uint32_t row) {
        programnames::NamesAtPlace names = programnames::CompletionNames(
            program, key, row, m_host.editor.Selection().EndColumn, LineReader(), m_host.styles);
        lead = std::move(names.lead);
        rest = std::move(names.rest);
    });
    for (const EditorKeywordPtr& e : *DocKeywords())
        if (e->Kind() == kKindLabel)
            rest->Add(e);
    m_list->SetVocabulary(m_host.vocabulary);
    m_list->setTokens(*rest, true, *lead);
    if (m_list->isSingleToken(word)) {
        AutoCompleteToken();
        return;
    }
    OpenList(word);
}

void CodeAssistant::ShowTypeList(const std::string& prefix)
{
    if (!m_host.docs.CurrentDoc())
        return;
    CloseTip();
    EditorKeywordListPtr types;
    ProgramNamesAtCaret([&](lang::Program& program, const std::string&, std::uint32_t) {
        const std::vector<lang::SymbolInfo> all = program.Types();
        types = programnames::ListOf(all, all, LineReader(), m_host.styles);
    });
    m_list->setTokens(*types, false);
    OpenList(prefix);
}

void CodeAssistant::ShowFieldList(const std::string& /*varName*/, const std::string& prefix)
{
    if (!m_host.docs.CurrentDoc())
        return;
    // The model reads the variable and the fields before the "\" itself.
    const EditorKeywordListPtr fields = FieldsAtCaret();
    if (!fields)
        return;
    CloseTip();
    m_list->setTokens(*fields, false);
    OpenList(prefix);
}

EditorKeywordListPtr CodeAssistant::FieldsAtCaret()
{
    const CDoc* doc = m_host.docs.CurrentDoc();
    if (!doc)
        return nullptr;
    m_host.events.TakeEdits();
    const QString path = ProgramPath(*doc);
    const EditorSelection caret = m_host.editor.Selection();
    const QByteArray line = m_host.editor.LineText(caret.EndLine + 1);
    // The field's name typed so far, type character included, is no part of the path.
    const int at = WordStart(std::string_view(line.constData(), std::size_t(line.size())), caret.EndColumn);
    lang::Program& program = m_host.programs.ProgramOf(path);
    const std::vector<lang::SymbolInfo> fields =
        program.FieldsAt(ProgramHost::KeyOf(path), std::uint32_t(caret.EndLine),
                         std::string_view(line.constData(), std::size_t(line.size())), std::uint32_t(at));
    if (fields.empty())
        return nullptr;
    return programnames::ListOf(fields, programnames::TypesOf(fields, program), LineReader(), m_host.styles);
}

void CodeAssistant::ProgramNamesAtCaret(
    const std::function<void(lang::Program&, const std::string& key, std::uint32_t row)>& ask)
{
    m_host.events.TakeEdits();
    const QString path = ProgramPath(*m_host.docs.CurrentDoc());
    ask(m_host.programs.ProgramOf(path), ProgramHost::KeyOf(path), std::uint32_t(m_host.editor.Selection().EndLine));
}

programnames::LineText CodeAssistant::LineReader() const
{
    return [this](const std::string& key, std::uint32_t row) { return m_host.programs.LineText(key, row); };
}

// The tokens are already in the list; this shows it at the caret with the
// name nearest to what was typed selected.
void CodeAssistant::OpenList(const std::string& prefix)
{
    m_list->updateview(1, -1);
    m_list->PlaceAt(CaretOnScreen());
    m_list->show();
    m_list->ShowNearestToken(prefix, true);
    m_popupShown = true;
    int column = 0;
    bool selected = false;
    const std::string line = CaretLine(&column, &selected);
    m_anchorLine = m_host.editor.Selection().EndLine;
    m_anchorColumn = WordStart(line, column);
    m_host.editor.setFocus();
}

std::string CodeAssistant::TypedWord() const
{
    int column = 0;
    bool selected = false;
    const std::string line = CaretLine(&column, &selected);
    return GetWordBeforeCaret(line, column, selected, false);
}

void CodeAssistant::RefilterCompletion()
{
    if (!m_popupShown)
        return;
    // Typing only narrows: a name inserted on its own would have the rest
    // of what the user types appended to it.
    if (m_list->Narrow(TypedWord()) != Narrowed::Open) {
        CloseList();
        return;
    }
    m_host.editor.setFocus();
}

void CodeAssistant::OnTextChanged()
{
    // Typed characters are handled as they come (RefilterCompletion); this
    // follows the rest, such as Backspace: the list keeps to the word being
    // completed and closes once that word is left.
    if (!m_popupShown)
        return;
    int column = 0;
    bool selected = false;
    const std::string line = CaretLine(&column, &selected);
    if (m_host.editor.Selection().EndLine != m_anchorLine || WordStart(line, column) != m_anchorColumn) {
        CloseList();
        return;
    }
    m_list->ShowNearestToken(GetWordBeforeCaret(line, column, selected, false), true);
}

bool CodeAssistant::ListKeyDown(int key)
{
    if (!m_popupShown)
        return false;
    const bool choosing = key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Tab;
    // A name that does not start with the typed word would replace it with
    // something else; the user meant the key for the text.
    if (choosing && !m_list->model().SelectionMatches(TypedWord())) {
        CloseList();
        return false;
    }
    return m_list->ScrollView(key);
}

void CodeAssistant::OnChosen()
{
    // The list hid itself; the name goes in once the key or click is done.
    m_popupShown = false;
    const std::string name = m_list->SelectedName();
    if (name.empty())
        return;
    m_pending = TargetAtCaret(name);
    TimerAutocomplete.start();
}

void CodeAssistant::OnAutocompleteTick()
{
    TimerAutocomplete.stop();
    if (!m_pending)
        return;
    const Insertion insertion = *m_pending;
    m_pending.reset();
    m_host.editor.SetBusy(true);
    Insert(insertion);
    m_host.editor.SetBusy(false);
    m_host.editor.setFocus();
}

void CodeAssistant::AutoCompleteToken()
{
    const std::string name = m_list->SelectedName();
    CloseList();
    if (!name.empty())
        Insert(TargetAtCaret(name));
    m_host.editor.setFocus();
}

CodeAssistant::Insertion CodeAssistant::TargetAtCaret(std::string name) const
{
    const EditorSelection sel = m_host.editor.Selection();
    const QByteArray line = m_host.editor.LineText(sel.EndLine + 1);
    Insertion target;
    target.name = std::move(name);
    target.line = sel.EndLine;
    target.end = std::min(sel.EndColumn, int(line.size()));
    // With a selection there is no typed word: the name goes in at the caret.
    target.start = sel.Present ? target.end : WordStart(std::string_view(line.constData(), std::size_t(line.size())),
                                                        target.end);
    target.word = line.mid(target.start, target.end - target.start).toStdString();
    return target;
}

void CodeAssistant::Insert(const Insertion& insertion)
{
    EditCtrl& editor = m_host.editor;
    // Typing may have gone on before a deferred insertion: the word must
    // still be where it was, and what followed it stays after the name.
    const QByteArray line = editor.LineText(insertion.line + 1);
    if (line.mid(insertion.start, insertion.end - insertion.start) != Bytes(insertion.word))
        return;
    const EditorSelection before = editor.Selection();
    editor.SetSelection({!insertion.word.empty(), insertion.start, insertion.line, insertion.end, insertion.line});
    editor.ReplaceSelection(Bytes(insertion.name));
    const int shift = int(insertion.name.size()) - int(insertion.word.size());
    EditorSelection caret;
    if (before.EndLine == insertion.line && before.EndColumn >= insertion.end && !before.Present) {
        caret.EndColumn = caret.StartColumn = before.EndColumn + shift;
        caret.EndLine = caret.StartLine = insertion.line;
    } else {
        caret = before;
    }
    editor.SetSelection(caret);
    editor.Refresh();
}

void CodeAssistant::CloseList()
{
    m_popupShown = false;
    HideList();
}

bool CodeAssistant::ListVisible() const
{
    return m_list && m_list->isVisible();
}

void CodeAssistant::HideList()
{
    if (m_list)
        m_list->hide();
}

// --- The call tip -------------------------------------------------------------

bool CodeAssistant::TipVisible() const
{
    return m_tip && m_tip->isVisible();
}

void CodeAssistant::ShowCallTip()
{
    const bool created = !TipVisible();
    if (FillTip(true) && created) {
        m_tip->show();
    }
    m_host.editor.setFocus();
}

void CodeAssistant::UpdateCallTip(bool first)
{
    if (!TipVisible() && !first)
        return;
    FillTip(first);
}

bool CodeAssistant::FillTip(bool place)
{
    EditCtrl& editor = m_host.editor;
    const EditorSelection sel = editor.Selection();
    const QByteArray line = editor.LineText(sel.EndLine + 1);
    const std::vector<LineToken> lineTokens = editor.CommandTokensBefore(sel.EndLine + 1, sel.EndColumn);
    std::vector<TipToken> tokens;
    tokens.reserve(lineTokens.size());
    for (const LineToken& t : lineTokens)
        tokens.push_back({t.Kind, t.StartColumn, std::string_view(t.Text.constData(), std::size_t(t.Text.size()))});
    const std::string_view text(line.constData(), std::size_t(line.size()));
    // With parsing disabled the model is not kept up with typing.
    lang::Program* program = nullptr;
    if (const CDoc* doc = m_host.docs.CurrentDoc(); doc && !m_host.events.ParsingDisabled()) {
        m_host.events.TakeEdits();
        program = &m_host.programs.ProgramOf(ProgramPath(*doc));
    }
    const std::optional<CallTipMatch> match =
        FindProgramCallTip(text, sel.EndColumn, std::move(tokens), m_host.vocabulary.get(), program, LineReader(),
                           FirstChar(m_host.settings.CommentChar), FirstChar(m_host.settings.StringChar));
    if (!match) {
        HideCallTip();
        return false;
    }
    m_tip->SetTip(MakeCallTipText(*match->entry, match->argumentIndex));
    if (place)
        m_tip->PlaceAt(CaretOnScreen());
    return true;
}

void CodeAssistant::HideCallTip()
{
    if (!TipVisible())
        return;
    m_tip->hide();
    m_host.editor.setFocus();
}

void CodeAssistant::CloseTip()
{
    if (TipVisible())
        m_tip->hide();
}

// --- Command help -------------------------------------------------------------

void CodeAssistant::ShowCommandHelp(const QString& word)
{
    static const EditorKeywordList kNoCommands;
    const EditorKeywordListPtr vocabulary = m_host.vocabulary;
    if (m_blitzDir && m_commandHelp.WantsPage(word.toLatin1().toStdString(), vocabulary ? *vocabulary : kNoCommands)
        && !m_blitzDir->Require(BlitzNeed::Folder))
        return;
    const CommandHelp::Action action = m_commandHelp.Request(
        word.toLatin1().toStdString(), vocabulary ? *vocabulary : kNoCommands, m_host.settings.B3DHelpDir());
    switch (action.kind) {
    case CommandHelp::Action::ClearPanel:
        m_host.setInfoPanel(QString());
        break;
    case CommandHelp::Action::ShowText:
        m_host.setInfoPanel(action.text);
        break;
    case CommandHelp::Action::NoPage:
        m_host.setInfoPanel(m_host.labels.getValue(QStringLiteral("nohelppage"))
                                .replace(QStringLiteral("#name#"), action.text)
                                .replace(QStringLiteral("#dir#"), m_host.settings.B3DHelpDir()));
        break;
    case CommandHelp::Action::NoHelpFolder:
        m_host.setInfoPanel(m_host.labels.getValue(QStringLiteral("nohelpfolder"))
                                .replace(QStringLiteral("#dir#"), m_host.settings.B3DHelpDir()));
        break;
    case CommandHelp::Action::OpenPage:
        m_host.help.ShowHelpBrowser(false);
        m_host.tabs.SelectQuietly(QString::fromLatin1(DocumentTabs::kHelpTabKey));
        m_host.help.Browser()->Navigate(action.text);
        break;
    case CommandHelp::Action::Nothing:
        break;
    }
}
