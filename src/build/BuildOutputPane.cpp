#include "build/BuildOutputPane.h"

#include "build/BuildController.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"

#include <QEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBlock>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>
#include <optional>

namespace {

// Lines kept: the end of a program that prints without end, and never all
// of the memory. They go a stretch at a time, which costs far less than one
// by one.
constexpr int kMaxLines = 50000;
constexpr int kTrimStretch = 10000;
// The height the pane opens at the first time, in lines of its text.
constexpr int kFirstOpenLines = 10;

// What a line of the view is, which decides how it looks.
enum class LineKind { Output, Report, CommandLine, Outcome };

class LineData : public QTextBlockUserData {
public:
    LineData(LineKind k, std::optional<CompilerError> e = {}) : kind(k), error(std::move(e)) {}
    LineKind kind;
    std::optional<CompilerError> error;
};

const CompilerError* ReportOf(const QTextBlock& block)
{
    const auto* data = static_cast<const LineData*>(block.userData());
    return data && data->error && data->error->HasPosition() ? &*data->error : nullptr;
}

// The compiler writes in the Windows code page; a program may write UTF-8.
QString Decode(const std::string& bytes)
{
    return QString::fromStdString(text::IsValidUtf8(bytes) ? bytes : text::Windows1252ToUtf8(bytes));
}

// Colours from the palette in use, so the text follows a change of theme.
QTextCharFormat FormatOf(LineKind kind, bool linked, const QPalette& palette)
{
    QTextCharFormat format;
    switch (kind) {
    case LineKind::Output:
        break;
    case LineKind::Report:
        format.setForeground(palette.color(QPalette::Base).lightness() < 128 ? QColor(240, 98, 95)
                                                                              : QColor(198, 40, 40));
        format.setFontUnderline(linked);
        break;
    case LineKind::CommandLine:
        format.setForeground(palette.color(QPalette::PlaceholderText));
        break;
    case LineKind::Outcome:
        format.setFontWeight(QFont::Bold);
        break;
    }
    return format;
}

void AppendLine(QPlainTextEdit* view, const QString& text, LineKind kind, std::optional<CompilerError> error = {})
{
    QTextCursor cursor(view->document());
    cursor.movePosition(QTextCursor::End);
    if (!view->document()->isEmpty())
        cursor.insertBlock();
    const bool linked = error && error->HasPosition();
    if (kind != LineKind::Output)
        cursor.block().setUserData(new LineData(kind, std::move(error)));
    QTextCharFormat format = FormatOf(kind, linked, view->palette());
    if (linked)
        format.setToolTip(QStringLiteral("Click to go to the error"));
    cursor.insertText(text, format);
}

}  // namespace

// The output itself: read-only text in which a report is a link.
class BuildOutputPane::OutputView : public QPlainTextEdit {
public:
    explicit OutputView(QWidget* parent) : QPlainTextEdit(parent)
    {
        setObjectName(QStringLiteral("BuildOutputView"));
        setReadOnly(true);
        setUndoRedoEnabled(false);
        setLineWrapMode(QPlainTextEdit::NoWrap);
        setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        setFrameShape(QFrame::NoFrame);
        viewport()->setMouseTracking(true);
        // The keyboard reaches the reports as the mouse does.
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }

    std::function<void(const CompilerError&)> open;

protected:
    void mouseMoveEvent(QMouseEvent* e) override
    {
        QPlainTextEdit::mouseMoveEvent(e);
        const bool link = (e->buttons() == Qt::NoButton) && ReportOf(cursorForPosition(e->pos()).block());
        viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::IBeamCursor);
    }

    void mousePressEvent(QMouseEvent* e) override
    {
        m_pressedAt = e->pos();
        QPlainTextEdit::mousePressEvent(e);
    }

    void mouseReleaseEvent(QMouseEvent* e) override
    {
        QPlainTextEdit::mouseReleaseEvent(e);
        // A click, not the end of a selection.
        if (e->button() != Qt::LeftButton || (e->pos() - m_pressedAt).manhattanLength() > 4
            || textCursor().hasSelection())
            return;
        if (const CompilerError* error = ReportOf(cursorForPosition(e->pos()).block()); error && open)
            open(*error);
    }

    void changeEvent(QEvent* e) override
    {
        QPlainTextEdit::changeEvent(e);
        if (e->type() != QEvent::PaletteChange)
            return;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            const auto* data = static_cast<const LineData*>(block.userData());
            if (!data)
                continue;
            QTextCursor cursor(block);
            cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
            cursor.setCharFormat(FormatOf(data->kind, ReportOf(block), palette()));
        }
    }

    void keyPressEvent(QKeyEvent* e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && open) {
            if (const CompilerError* error = ReportOf(textCursor().block())) {
                open(*error);
                return;
            }
        }
        QPlainTextEdit::keyPressEvent(e);
    }

private:
    QPoint m_pressedAt;
};

BuildOutputPane::BuildOutputPane(BuildController& build, const QString& title, QWidget* parent)
    : QWidget(parent), m_build(build), m_title(title)
{
    setObjectName(QStringLiteral("BuildOutputPane"));

    m_header = new QWidget(this);
    m_header->setObjectName(QStringLiteral("BuildOutputHeader"));
    m_header->setAutoFillBackground(true);
    m_header->setBackgroundRole(QPalette::Window);
    m_toggle = new QToolButton(m_header);
    m_toggle->setObjectName(QStringLiteral("btBuildOutputToggle"));
    m_toggle->setAutoRaise(true);
    m_toggle->setFocusPolicy(Qt::NoFocus);
    auto* caption = new QLabel(title, m_header);
    QFont bold = caption->font();
    bold.setBold(true);
    caption->setFont(bold);
    m_summary = new QLabel(m_header);
    m_summary->setObjectName(QStringLiteral("BuildOutputSummary"));
    m_summary->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_summary->setForegroundRole(QPalette::PlaceholderText);
    auto* headerLayout = new QHBoxLayout(m_header);
    headerLayout->setContentsMargins(2, 1, 6, 1);
    headerLayout->setSpacing(6);
    headerLayout->addWidget(m_toggle);
    headerLayout->addWidget(caption);
    headerLayout->addWidget(m_summary, 1);
    // A click anywhere on the title bar opens or collapses the pane.
    m_header->installEventFilter(this);
    m_summary->installEventFilter(this);
    caption->installEventFilter(this);

    m_view = new OutputView(this);
    m_view->open = [this](const CompilerError& error) { OpenError(error); };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_header);
    layout->addWidget(m_view, 1);

    connect(m_toggle, &QToolButton::clicked, this, [this] { SetCollapsed(!m_collapsed); });
    connect(&build, &BuildController::BuildStarted, this, &BuildOutputPane::Start);
    connect(&build, &BuildController::OutputAdded, this, &BuildOutputPane::Add);
    connect(&build, &BuildController::BuildEnded, this, &BuildOutputPane::End);
    m_ticker.setInterval(500);
    connect(&m_ticker, &QTimer::timeout, this, &BuildOutputPane::ShowRunning);
    connect(&build, &QObject::destroyed, &m_ticker, &QTimer::stop);

    m_summary->setText(QStringLiteral("No build yet"));
    m_openHeight = m_header->sizeHint().height() + m_view->fontMetrics().lineSpacing() * kFirstOpenLines + 8;
    SetCollapsed(true);
}

QString BuildOutputPane::Text() const
{
    return m_view->toPlainText();
}

QString BuildOutputPane::Summary() const
{
    return m_summary->text();
}

QPlainTextEdit* BuildOutputPane::View() const
{
    return m_view;
}

void BuildOutputPane::SetCollapsed(bool collapsed)
{
    auto* splitter = qobject_cast<QSplitter*>(parentWidget());
    const int index = splitter ? splitter->indexOf(this) : -1;
    if (collapsed && !m_collapsed && isVisible() && height() > m_header->sizeHint().height())
        m_openHeight = height();
    m_collapsed = collapsed;
    m_toggle->setArrowType(collapsed ? Qt::RightArrow : Qt::DownArrow);
    m_toggle->setToolTip(collapsed ? QStringLiteral("Show the build output") : QStringLiteral("Hide the build output"));
    m_view->setVisible(!collapsed);
    setMaximumHeight(collapsed ? m_header->sizeHint().height() : QWIDGETSIZE_MAX);
    if (!splitter || index < 0)
        return;
    QList<int> sizes = splitter->sizes();
    int total = 0;
    for (int s : sizes)
        total += s;
    if (total <= 0)
        return;
    const int want = collapsed ? m_header->sizeHint().height() : std::min(m_openHeight, total * 2 / 3);
    const int other = index == 0 ? 1 : index - 1;
    if (other >= sizes.size())
        return;
    sizes[other] += sizes[index] - want;
    sizes[index] = want;
    splitter->setSizes(sizes);
}

bool BuildOutputPane::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        SetCollapsed(!m_collapsed);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void BuildOutputPane::Start(const QString& title, const QString& commandLine)
{
    m_title = title;
    m_reader = CompilerOutputReader();
    m_view->clear();
    AppendLine(m_view, commandLine, LineKind::CommandLine);
    ShowRunning();
    m_ticker.start();
}

void BuildOutputPane::Add(const QByteArray& bytes)
{
    const bool atEnd = m_view->verticalScrollBar()->value() == m_view->verticalScrollBar()->maximum();
    // Plain lines go in together: a program may print a great many.
    QString plain;
    auto flush = [&] {
        if (!plain.isEmpty())
            AppendLine(m_view, plain, LineKind::Output);
        plain.clear();
    };
    for (const OutputLine& line : m_reader.Add(std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
        if (line.error) {
            flush();
    if (const int over = m_view->document()->blockCount() - kMaxLines; over >= kTrimStretch) {
        QTextCursor cursor(m_view->document());
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, over);
        cursor.removeSelectedText();
    }
            Append(line);
        } else {
            if (!plain.isEmpty())
                plain += u'\n';
            plain += Decode(line.text);
        }
    }
    flush();
    // Following the output, unless the user scrolled back to read.
    if (atEnd)
        m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
}

void BuildOutputPane::End(const QString& outcome, bool failed)
{
    m_ticker.stop();
    if (const std::optional<OutputLine> last = m_reader.Finish())
        Append(*last);
    AppendLine(m_view, outcome, LineKind::Outcome);
    m_summary->setText(m_title + u' ' + outcome);
    if (failed)
        SetCollapsed(false);
    m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
}

void BuildOutputPane::ShowRunning()
{
    m_summary->setText(m_title + QStringLiteral(" running for ") + DurationText(m_build.ElapsedMs()));
}

void BuildOutputPane::Append(const OutputLine& line)
{
    AppendLine(m_view, Decode(line.text), line.error ? LineKind::Report : LineKind::Output, line.error);
}

void BuildOutputPane::OpenError(const CompilerError& error)
{
    if (!m_build.ShowError(error))
        m_summary->setText(Decode(error.file) + QStringLiteral(" is not on this disk."));
}
