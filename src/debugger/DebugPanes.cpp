#include "debugger/DebugPanes.h"

#include "startup/Labels.h"

#include <QFontDatabase>
#include <QHeaderView>

namespace {

// What the pane keeps of a program that logs without end.
constexpr int kMostLogLines = 50000;

}  // namespace

DebugLogPane::DebugLogPane(QWidget* parent) : QPlainTextEdit(parent)
{
    setObjectName(QStringLiteral("DebugLogPane"));
    setReadOnly(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMaximumBlockCount(kMostLogLines);
    setFrameShape(QFrame::NoFrame);
}

void DebugLogPane::AddLine(const QString& line)
{
    appendPlainText(line);
}

void DebugLogPane::AddNote(const QString& note)
{
    appendHtml(QStringLiteral("<i style=\"color:gray\">%1</i>").arg(note.toHtmlEscaped()));
}

CallStackPane::CallStackPane(const CUILabels& labels, QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("CallStackPane"));
    setHeaderLabels({labels.getValue(QStringLiteral("callstackfunction")), labels.getValue(QStringLiteral("refsfile")),
                     labels.getValue(QStringLiteral("refsline"))});
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setFrameShape(QFrame::NoFrame);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(0, QHeaderView::Interactive);
    header()->setSectionResizeMode(1, QHeaderView::Stretch);
    header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    setColumnWidth(0, 240);
    connect(this, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QVariant frame = item->data(0, Qt::UserRole);
        if (frame.isValid())
            Q_EMIT FrameChosen(frame.toInt());
    });
}

void CallStackPane::SetRows(const std::vector<Row>& rows)
{
    clear();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        auto* item = new QTreeWidgetItem(this, {rows[i].function, rows[i].file, QString::number(rows[i].line)});
        item->setData(0, Qt::UserRole, int(i));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (topLevelItemCount() > 0)
        setCurrentItem(topLevelItem(0));
}

void CallStackPane::SetNote(const QString& note)
{
    clear();
    auto* item = new QTreeWidgetItem(this, {note});
    item->setFlags(Qt::NoItemFlags);
}

int CallStackPane::SelectedFrame() const
{
    const QTreeWidgetItem* item = currentItem();
    return item && item->data(0, Qt::UserRole).isValid() ? item->data(0, Qt::UserRole).toInt() : 0;
}
