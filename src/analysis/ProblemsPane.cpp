#include "analysis/ProblemsPane.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QFont>
#include <QHeaderView>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

class ProblemsModel : public QAbstractTableModel {
public:
    explicit ProblemsModel(QStringList captions) : m_captions(std::move(captions)) {}

    void Reset(std::vector<ProblemRow> rows)
    {
        if (rows == m_rows)
            return;
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const ProblemRow& At(int row) const { return m_rows[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        const ProblemRow& r = m_rows[std::size_t(index.row())];
        if (role == Qt::ToolTipRole)
            return index.column() == 0 ? r.path : r.message;
        // Each is an error the compiler would stop at; the build's own
        // report stands out in bold.
        if (role == Qt::DecorationRole && index.column() == 0)
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
        if (role == Qt::FontRole && r.fromBuild) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0: return r.title;
        case 1: return r.line;
        default: return r.message;
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_captions.size())
            return m_captions[section];
        return {};
    }

private:
    QStringList m_captions;
    std::vector<ProblemRow> m_rows;
};

ProblemsPane::ProblemsPane(const QStringList& captions, QWidget* parent)
    : QWidget(parent), m_model(new ProblemsModel(captions))
{
    setObjectName(QStringLiteral("ProblemsPane"));
    m_model->setParent(this);
    m_view = new QTreeView;
    m_view->setObjectName(QStringLiteral("ProblemsList"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setAlternatingRowColors(true);
    m_view->header()->setStretchLastSection(true);
    m_view->header()->setSectionResizeMode(QHeaderView::Interactive);
    m_view->setColumnWidth(0, 160);
    m_view->setColumnWidth(1, 60);
    connect(m_view, &QTreeView::clicked, this, [this](const QModelIndex& index) { Choose(index.row()); });
    connect(m_view, &QTreeView::activated, this, [this](const QModelIndex& index) { Choose(index.row()); });

    setFocusProxy(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
}

ProblemsPane::~ProblemsPane() = default;

void ProblemsPane::SetRows(std::vector<ProblemRow> rows)
{
    m_model->Reset(std::move(rows));
}

int ProblemsPane::RowCount() const
{
    return m_model->rowCount();
}

const ProblemRow& ProblemsPane::Row(int row) const
{
    return m_model->At(row);
}

void ProblemsPane::Choose(int row)
{
    if (row >= 0 && row < m_model->rowCount())
        Q_EMIT ProblemChosen(m_model->At(row));
}
