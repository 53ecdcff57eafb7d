#include "editing/ProgramSearchPane.h"

#include <QHeaderView>
#include <QLabel>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// Where a match item keeps its place.
enum Role { KeyRole = Qt::UserRole + 1, RowRole, ColumnRole, LengthRole };

// A line of megabytes (data written as one) is cut in the list.
constexpr qsizetype kMaxShown = 400;

}  // namespace

ProgramSearchPane::ProgramSearchPane(QWidget* parent)
    : QWidget(parent), m_title(new QLabel), m_view(new QTreeView), m_model(new QStandardItemModel(this))
{
    setObjectName(QStringLiteral("ProgramSearchPane"));
    m_title->setObjectName(QStringLiteral("ProgramSearchTitle"));
    m_title->setContentsMargins(4, 2, 4, 2);
    m_view->setObjectName(QStringLiteral("ProgramSearchList"));
    m_view->setModel(m_model);
    m_view->setHeaderHidden(true);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->header()->setStretchLastSection(true);
    connect(m_view, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        if (index.parent().isValid())
            Choose(index.parent().row(), index.row());
    });
    connect(m_view, &QTreeView::activated, this, [this](const QModelIndex& index) {
        if (index.parent().isValid())
            Choose(index.parent().row(), index.row());
    });
    setFocusProxy(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_title);
    layout->addWidget(m_view, 1);
}

void ProgramSearchPane::ShowResults(const QString& title, const std::vector<search::FileMatches>& found,
                                    const std::function<QString(const std::string& key)>& fileTitle)
{
    m_title->setText(title);
    m_model->clear();
    m_model->setColumnCount(2);
    for (const search::FileMatches& f : found) {
        auto* file = new QStandardItem(QStringLiteral("%1 (%2)").arg(fileTitle(f.key)).arg(f.matches.size()));
        const QString key = QString::fromStdString(f.key);
        for (const search::RowMatch& m : f.matches) {
            auto* line = new QStandardItem(QString::number(m.row + 1));
            line->setData(key, KeyRole);
            line->setData(m.row, RowRole);
            line->setData(m.col, ColumnRole);
            line->setData(m.endCol - m.col, LengthRole);
            line->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            QString text = QString::fromUtf8(m.line.data(), qsizetype(m.line.size())).trimmed();
            text.replace(QLatin1Char('\t'), QLatin1Char(' '));
            auto* shown = new QStandardItem(text.left(kMaxShown));
            shown->setToolTip(text.left(kMaxShown));
            file->appendRow({line, shown});
        }
        m_model->appendRow(file);
        m_view->setFirstColumnSpanned(m_model->rowCount() - 1, {}, true);
    }
    m_view->expandAll();
    m_view->resizeColumnToContents(0);
    if (m_model->rowCount() > 0)
        m_view->setCurrentIndex(m_model->index(0, 0, m_model->index(0, 0)));
    Q_EMIT ResultsShown();
}

QString ProgramSearchPane::Title() const
{
    return m_title->text();
}

int ProgramSearchPane::FileCount() const
{
    return m_model->rowCount();
}

QString ProgramSearchPane::FileText(int file) const
{
    return m_model->item(file)->text();
}

int ProgramSearchPane::MatchCount(int file) const
{
    return m_model->item(file)->rowCount();
}

QString ProgramSearchPane::MatchText(int file, int match) const
{
    const QStandardItem* f = m_model->item(file);
    return f->child(match, 0)->text() + QStringLiteral(": ") + f->child(match, 1)->text();
}

void ProgramSearchPane::Choose(int file, int match)
{
    if (file < 0 || file >= FileCount() || match < 0 || match >= MatchCount(file))
        return;
    const QStandardItem* m = m_model->item(file)->child(match, 0);
    Q_EMIT MatchChosen(m->data(KeyRole).toString().toStdString(), m->data(RowRole).toUInt(),
                       m->data(ColumnRole).toUInt(), m->data(LengthRole).toUInt());
}
