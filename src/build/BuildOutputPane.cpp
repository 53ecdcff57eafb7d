#include "build/BuildOutputPane.h"

#include "build/BuildController.h"
#include "platform/Text.h"
#include "platform/Windows1252.h"
#include "startup/Labels.h"

#include <QEvent>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QVBoxLayout>

#include <algorithm>
#include <functional>
#include <optional>

namespace {

// Lines kept: the end of a program that prints without end, and never all
// of the memory. They go a stretch at a time, which costs far less than one
// by one.
constexpr int kMaxLines = 50000;
constexpr int kTrimStretch = 10000;
// And characters kept, for lines as long as the reader lets them be.
constexpr int kMaxCharacters = 8 << 20;
constexpr int kTrimCharacters = 1 << 20;

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

// `tip` shows over an error line that leads to its place.
void AppendLine(QPlainTextEdit* view, const QString& text, LineKind kind, std::optional<CompilerError> error = {},
                const QString& tip = {})
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
        format.setToolTip(tip);
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

BuildOutputPane::BuildOutputPane(BuildController& build, QWidget* parent) : QWidget(parent), m_build(build)
{
    setObjectName(QStringLiteral("BuildOutputPane"));
    m_view = new OutputView(this);
    m_view->open = [this](const CompilerError& error) { OpenError(error); };
    setFocusProxy(m_view);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view, 1);

    connect(&build, &BuildController::BuildStarted, this, &BuildOutputPane::Start);
    connect(&build, &BuildController::OutputAdded, this, &BuildOutputPane::Add);
    connect(&build, &BuildController::BuildEnded, this, &BuildOutputPane::End);
    m_ticker.setInterval(500);
    connect(&m_ticker, &QTimer::timeout, this, &BuildOutputPane::ShowRunning);
    connect(&build, &QObject::destroyed, &m_ticker, &QTimer::stop);

    m_summary = build.Labels().getValue(QStringLiteral("nobuildyet"));
}

QString BuildOutputPane::Text() const
{
    return m_view->toPlainText();
}

QPlainTextEdit* BuildOutputPane::View() const
{
    return m_view;
}

void BuildOutputPane::SetSummary(const QString& summary)
{
    m_summary = summary;
    Q_EMIT SummaryChanged(summary);
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
            Append(line);
        } else {
            if (!plain.isEmpty())
                plain += u'\n';
            plain += Decode(line.text);
        }
    }
    flush();
    // Straight to the first line kept: stepping a cursor there line by line
    // costs four times the whole output.
    QTextDocument* output = m_view->document();
    int firstKept = 0;
    if (const int over = output->blockCount() - kMaxLines; over >= kTrimStretch)
        firstKept = output->findBlockByNumber(over).position();
    if (const int over = output->characterCount() - kMaxCharacters; over >= kTrimCharacters)
        firstKept = std::max(firstKept, output->findBlock(over).position());
    if (firstKept > 0) {
        QTextCursor cursor(output);
        cursor.setPosition(firstKept, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    }
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
    SetSummary(m_title + u' ' + outcome);
    m_view->verticalScrollBar()->setValue(m_view->verticalScrollBar()->maximum());
    if (failed)
        Q_EMIT BuildFailed();
}

void BuildOutputPane::ShowRunning()
{
    SetSummary(m_build.Labels().format(QStringLiteral("buildrunning"), {m_title, DurationText(m_build.ElapsedMs())}));
}

void BuildOutputPane::Append(const OutputLine& line)
{
    AppendLine(m_view, Decode(line.text), line.error ? LineKind::Report : LineKind::Output, line.error,
               m_build.Labels().getValue(QStringLiteral("clicktoerror")));
}

void BuildOutputPane::OpenError(const CompilerError& error)
{
    if (!m_build.ShowError(error))
        SetSummary(Decode(error.file) + QStringLiteral(" is not on this disk."));
}
