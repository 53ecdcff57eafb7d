#include "analysis/ReferencesPane.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

// The rows without a widget each: a name used thousands of times lists at
// once.
class ReferencesModel : public QAbstractTableModel {
public:
    void Reset(std::vector<ReferenceRow> rows, const QStringList& captions)
    {
        beginResetModel();
        m_rows = std::move(rows);
        m_captions = captions;
        endResetModel();
    }
    const ReferenceRow& At(int row) const { return m_rows[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        const ReferenceRow& r = m_rows[std::size_t(index.row())];
        if (role == Qt::ToolTipRole && index.column() == 0)
            return r.path;
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole)
            return {};
        switch (index.column()) {
        case 0: return r.title;
        case 1: return r.line;
        default: return r.text;
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_captions.size())
            return m_captions[section];
        return {};
    }

private:
    std::vector<ReferenceRow> m_rows;
    QStringList m_captions;
};

ReferencesPane::ReferencesPane(QWidget* parent) : QWidget(parent), m_model(new ReferencesModel)
{
    setObjectName(QStringLiteral("ReferencesPane"));
    m_title = new QLabel;
    m_title->setObjectName(QStringLiteral("ReferencesTitle"));
    m_title->setContentsMargins(4, 2, 4, 2);

    m_model->setParent(this);
    m_view = new QTreeView;
    m_view->setObjectName(QStringLiteral("ReferencesList"));
    m_view->setModel(m_model);
    m_view->setRootIsDecorated(false);
    m_view->setUniformRowHeights(true);
    m_view->setAllColumnsShowFocus(true);
    m_view->setAlternatingRowColors(true);
    m_view->header()->setStretchLastSection(true);
    m_view->header()->setSectionResizeMode(QHeaderView::Interactive);
    // A click goes there, as does Enter on the row the keys reached.
    connect(m_view, &QTreeView::clicked, this, [this](const QModelIndex& index) { Choose(index.row()); });
    connect(m_view, &QTreeView::activated, this, [this](const QModelIndex& index) { Choose(index.row()); });

    setFocusProxy(m_view);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_title);
    layout->addWidget(m_view, 1);
}

ReferencesPane::~ReferencesPane() = default;

void ReferencesPane::ShowRows(const QString& title, std::vector<ReferenceRow> rows, const QStringList& captions)
{
    m_title->setText(title);
    m_model->Reset(std::move(rows), captions);
    m_view->resizeColumnToContents(0);
    m_view->resizeColumnToContents(1);
    if (m_model->rowCount() > 0)
        m_view->setCurrentIndex(m_model->index(0, 0));
    Q_EMIT RowsShown();
}

QString ReferencesPane::Title() const
{
    return m_title->text();
}

int ReferencesPane::RowCount() const
{
    return m_model->rowCount();
}

const ReferenceRow& ReferencesPane::Row(int row) const
{
    return m_model->At(row);
}

void ReferencesPane::Choose(int row)
{
    if (row >= 0 && row < m_model->rowCount())
        Q_EMIT ReferenceChosen(m_model->At(row));
}
