#include "panes/ReferencesPane.h"

#include "panes/RowsModel.h"

#include <QLabel>
#include <QTreeView>
#include <QVBoxLayout>

class ReferencesModel : public RowsModel<ReferenceRow> {
protected:
    QVariant Cell(const ReferenceRow& r, int column, int role) const override
    {
        if (role == Qt::ToolTipRole && column == 0)
            return r.path;
        if (role != Qt::DisplayRole)
            return {};
        switch (column) {
        case 0: return r.title;
        case 1: return r.line;
        default: return r.text;
        }
    }
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
    ShowRowsIn(m_view, m_model);
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
    m_model->SetCaptions(captions);
    m_model->Reset(std::move(rows));
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
