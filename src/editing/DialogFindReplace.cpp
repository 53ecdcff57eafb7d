#include "editing/DialogFindReplace.h"

#include "platform/Prompter.h"
#include "startup/Labels.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kHistorySize = 5;

QComboBox* HistoryBox(QWidget* parent, const char* name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMaxCount(kHistorySize);
    box->setMinimumContentsLength(28);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return box;
}

}  // namespace

DialogFindReplace::DialogFindReplace(EditCtrl& editor, const CUILabels& labels, Prompter& prompter, QWidget* parent)
    : QDialog(parent), m_editor(editor), m_labels(labels), m_prompter(prompter)
{
    setObjectName(QStringLiteral("DialogFindReplace"));
    setWindowTitle(labels.getValue(QStringLiteral("frcaption")));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    auto label = [&](const char* key) { return labels.getValue(QString::fromLatin1(key)); };

    Label1 = new QLabel(label("searchfor"), this);
    comboSearch = HistoryBox(this, "comboSearch");
    Label1->setBuddy(comboSearch);
    Label2 = new QLabel(label("replacewith"), this);
    ComboReplace = HistoryBox(this, "ComboReplace");
    Label2->setBuddy(ComboReplace);

    Frame1 = new QGroupBox(label("searchin"), this);
    Option1 = new QRadioButton(label("wholetext"), Frame1);
    Option2 = new QRadioButton(label("selection"), Frame1);
    auto* frameLayout = new QVBoxLayout(Frame1);
    frameLayout->addWidget(Option1);
    frameLayout->addWidget(Option2);
    Check1 = new QCheckBox(label("casesensitive"), this);

    cmdFind = new QPushButton(label("find"), this);
    cmdFindNext = new QPushButton(label("findnext"), this);
    cmdReplace = new QPushButton(label("replace"), this);
    cmdReplaceAll = new QPushButton(label("replaceall"), this);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdFind, cmdFindNext, cmdReplace, cmdReplaceAll}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    buttons->addStretch(1);
    cmdFind->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(comboSearch, 0, 1);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(ComboReplace, 1, 1);
    auto* options = new QHBoxLayout;
    options->addWidget(Frame1);
    options->addWidget(Check1, 0, Qt::AlignBottom);
    options->addStretch(1);
    grid->addLayout(options, 2, 0, 1, 2);
    grid->addLayout(buttons, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdFind, &QPushButton::clicked, this, &DialogFindReplace::Find);
    connect(cmdFindNext, &QPushButton::clicked, this, &DialogFindReplace::FindNext);
    connect(cmdReplace, &QPushButton::clicked, this, &DialogFindReplace::Replace);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &DialogFindReplace::ReplaceAll);
    auto* next = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(next, &QShortcut::activated, this, &DialogFindReplace::FindNext);
    auto* previous = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F3), this);
    connect(previous, &QShortcut::activated, this, &DialogFindReplace::FindPrevious);

    // A changed search text is a new search: Enter starts it with Find.
    connect(comboSearch->lineEdit(), &QLineEdit::textEdited, this, [this] {
        m_searchTyped = true;
        cmdFind->setDefault(true);
    });
    connect(comboSearch, &QComboBox::activated, this, [this] {
        m_searchTyped = false;
        cmdFind->setDefault(true);
    });
    connect(ComboReplace->lineEdit(), &QLineEdit::textEdited, this, [this] { m_replaceTyped = true; });
    connect(ComboReplace, &QComboBox::activated, this, [this] { m_replaceTyped = false; });
}

DialogFindReplace::~DialogFindReplace() = default;

void DialogFindReplace::Open()
{
    const EditorSelection sel = m_editor.Selection();
    const bool severalLines = sel.Present && sel.StartLine != sel.EndLine;
    if (!severalLines) {
        const QByteArray seed = sel.Present ? m_editor.SelectedText() : m_editor.WordAtCaret();
        if (!seed.trimmed().isEmpty()) {
            comboSearch->setEditText(QString::fromUtf8(seed));
            m_searchTyped = true;
        }
    }
    // A selection of several lines is what to search in; anything less is
    // what to search for.
    (severalLines ? Option2 : Option1)->setChecked(true);
    cmdFind->setDefault(true);
    show();
    raise();
    activateWindow();
    comboSearch->setFocus();
    comboSearch->lineEdit()->selectAll();
}

bool DialogFindReplace::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate)
        comboSearch->setFocus();
    return QDialog::event(e);
}

QByteArray DialogFindReplace::SearchBytes() const
{
    return comboSearch->currentText().toUtf8();
}

search::Options DialogFindReplace::Options() const
{
    return {Check1->isChecked()};
}

void DialogFindReplace::Find()
{
    if (comboSearch->currentText().isEmpty())
        return;
    Begin(!Option1->isChecked());
    NextStep();
}

void DialogFindReplace::Begin(bool inSelection)
{
    Remember(comboSearch, &m_searchTyped);
    const auto length = static_cast<std::size_t>(m_editor.Text().size());
    SearchSession::Range range{0, length, true};
    const TextSpan sel = m_editor.SelectionSpan();
    if (inSelection && sel.start != sel.end)
        range = {std::size_t(sel.start), std::size_t(sel.end), false};
    m_buffer = m_editor.CurrentBuffer();
    m_searched = comboSearch->currentText();
    m_session.Begin(range, Options());
}

void DialogFindReplace::FindNext()
{
    if (!m_session.Found() || m_buffer.lock() != m_editor.CurrentBuffer()) {
        Find();
        return;
    }
    Resync(false);
    NextStep();
}

void DialogFindReplace::NextStep()
{
    const QByteArray text = m_editor.Text();
    Show(m_session.Next(std::string_view(text.constData(), std::size_t(text.size())), SearchBytes().toStdString()));
}

void DialogFindReplace::FindPrevious()
{
    if (comboSearch->currentText().isEmpty())
        return;
    const QByteArray text = m_editor.Text();
    const std::string_view bytes(text.constData(), std::size_t(text.size()));
    if (!m_session.Started() || m_buffer.lock() != m_editor.CurrentBuffer()) {
        // Backwards from the caret through the whole text.
        Begin(false);
        m_session.Resume(std::size_t(m_editor.SelectionSpan().start), bytes.size());
        m_lastSelected = m_editor.SelectionSpan();
    } else {
        Resync(true);
    }
    Show(m_session.Previous(bytes, SearchBytes().toStdString()));
}

void DialogFindReplace::Resync(bool backwards)
{
    const TextSpan sel = m_editor.SelectionSpan();
    if (sel == m_lastSelected)
        return;
    m_session.Resume(std::size_t(backwards ? sel.start : sel.end), std::size_t(m_editor.Text().size()));
    m_lastSelected = sel;
}

void DialogFindReplace::Show(const std::optional<search::Match>& match)
{
    if (!match) {
        m_prompter.Tell(m_labels.getValue(QStringLiteral("textnotfound")), MsgIcon::None);
        return;
    }
    m_editor.SelectSpan(qint64(match->start), qint64(match->end));
    m_lastSelected = m_editor.SelectionSpan();
    cmdFindNext->setDefault(true);
    KeepOffMatch();
}

void DialogFindReplace::KeepOffMatch()
{
    if (!isVisible())
        return;
    const QRect local = m_editor.SpanRect(m_editor.SelectionSpan());
    const QRect match(m_editor.mapToGlobal(local.topLeft()), local.size());
    const QRect frame = frameGeometry();
    constexpr int kGap = 12;
    if (!frame.intersects(match.adjusted(-kGap, -kGap, kGap, kGap)))
        return;
    const QScreen* where = screen();
    const QRect room = where ? where->availableGeometry() : QRect(frame.topLeft(), frame.size() * 4);
    QPoint to = frame.topLeft();
    if (match.bottom() + kGap + frame.height() <= room.bottom())
        to.setY(match.bottom() + kGap);
    else if (match.top() - kGap - frame.height() >= room.top())
        to.setY(match.top() - kGap - frame.height());
    else if (match.right() + kGap + frame.width() <= room.right())
        to.setX(match.right() + kGap);
    else
        to.setX(std::max(room.left(), match.left() - kGap - frame.width()));
    move(to);
}

bool DialogFindReplace::NeedsNewSearch() const
{
    // Replacing continues the search under way, but only one for this very
    // text in this very document: another text typed since is a new search.
    return !m_session.Started() || m_buffer.lock() != m_editor.CurrentBuffer() ||
           comboSearch->currentText() != m_searched || Check1->isChecked() != m_session.options().matchCase;
}

QByteArray DialogFindReplace::Replacement()
{
    Remember(ComboReplace, &m_replaceTyped);
    return ComboReplace->currentText().toUtf8();
}

void DialogFindReplace::Replace()
{
    if (comboSearch->currentText().isEmpty())
        return;
    if (NeedsNewSearch()) {
        Begin(!Option1->isChecked());
    } else {
        // The match to replace is the one ahead: after a search ran out
        // going back, or once the user moved off the last one, that is the
        // next one from where the search stands.
        const TextSpan sel = m_editor.SelectionSpan();
        if (sel != m_lastSelected) {
            m_session.Resume(std::size_t(sel.start), std::size_t(m_editor.Text().size()));
            m_lastSelected = sel;
        }
    }
    if (!m_session.Current())
        NextStep();
    const QByteArray with = Replacement();
    const QString question =
        m_labels.getValue(QStringLiteral("replacethis")).replace(QStringLiteral("#searchtext#"), comboSearch->currentText());
    while (const auto match = m_session.Current()) {
        switch (m_prompter.AskTitled(m_labels.getValue(QStringLiteral("confirmreplace")), question, MsgIcon::Question,
                                     MsgButtons::YesNoCancel)) {
        case MsgAnswer::Yes:
            m_editor.ReplaceSpan({qint64(match->start), qint64(match->end)}, with);
            m_session.Replaced(std::size_t(with.size()));
            m_lastSelected = m_editor.SelectionSpan();
            NextStep();
            break;
        case MsgAnswer::No:
            NextStep();
            break;
        default:
            hide();
            return;
        }
    }
}

void DialogFindReplace::ReplaceAll()
{
    if (comboSearch->currentText().isEmpty())
        return;
    const QString ask =
        m_labels.getValue(QStringLiteral("askreplaceall")).replace(QStringLiteral("#searchtext#"), comboSearch->currentText());
    if (m_prompter.Ask(ask, MsgIcon::Question, MsgButtons::OkCancel) != MsgAnswer::Ok) {
        hide();
        return;
    }
    // Every occurrence, as the question said: the whole range from its start,
    // however far a search in it went before.
    if (NeedsNewSearch())
        Begin(!Option1->isChecked());
    else
        m_session.Rewind();
    const QByteArray with = Replacement();
    const QByteArray text = m_editor.Text();
    const std::string_view bytes(text.constData(), std::size_t(text.size()));
    const std::string what = SearchBytes().toStdString();
    search::Replacement edit;
    if (m_session.Next(bytes, what))
        edit = m_session.ReplaceRest(bytes, what, with.toStdString());
    if (edit.count > 0) {
        m_editor.ReplaceSpan({qint64(edit.start), qint64(edit.end)}, QByteArray::fromStdString(edit.replacement));
        m_lastSelected = m_editor.SelectionSpan();
    }
    m_prompter.Tell(m_labels.getValue(QStringLiteral("replMade")).replace(QStringLiteral("#n#"), QString::number(edit.count)),
                    MsgIcon::Information);
}

void DialogFindReplace::Remember(QComboBox* box, bool* typed)
{
    if (!*typed)
        return;
    *typed = false;
    const QString text = box->currentText();
    if (text.isEmpty())
        return;
    // The most recent first, each text once.
    for (int i = box->count() - 1; i >= 0; --i)
        if (box->itemText(i) == text)
            box->removeItem(i);
    if (box->count() == kHistorySize)
        box->removeItem(kHistorySize - 1);
    box->insertItem(0, text);
    box->setCurrentIndex(0);
}
