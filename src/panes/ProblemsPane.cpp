#include "panes/ProblemsPane.h"

#include "panes/RowsModel.h"

#include <QApplication>
#include <QColor>
#include <QFont>
#include <QStyle>
#include <QTreeView>
#include <QVBoxLayout>

class ProblemsModel : public RowsModel<ProblemRow> {
protected:
    QVariant Cell(const ProblemRow& r, int column, int role) const override
    {
        if (role == Qt::ToolTipRole)
            return column == 0 ? r.path : r.message;
        // An error the compiler would stop at, or a warning in a colour of
        // its own; the build's own report stands out in bold.
        if (role == Qt::DecorationRole && column == 0)
            return QApplication::style()->standardIcon(r.warning ? QStyle::SP_MessageBoxWarning
                                                                  : QStyle::SP_MessageBoxCritical);
        if (role == Qt::ForegroundRole && r.warning && column == 2)
            return QColor(176, 110, 0);
        if (role == Qt::FontRole && r.fromBuild) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        if (role != Qt::DisplayRole)
            return {};
        switch (column) {
        case 0: return r.title;
        case 1: return r.line;
        default: return r.message;
        }
    }
};

ProblemsPane::ProblemsPane(const QStringList& captions, QWidget* parent)
    : QWidget(parent), m_model(new ProblemsModel)
{
    m_model->SetCaptions(captions);
    setObjectName(QStringLiteral("ProblemsPane"));
    m_model->setParent(this);
    m_view = new QTreeView;
    m_view->setObjectName(QStringLiteral("ProblemsList"));
    ShowRowsIn(m_view, m_model);
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
    // Rows that stay keep the user's place among them.
    m_model->Update(std::move(rows));
}

void ProblemsPane::ReplaceRows(int at, int count, std::vector<ProblemRow> rows)
{
    m_model->Replace(std::size_t(at), std::size_t(count), std::move(rows));
}

void ProblemsPane::ChangeRows(int first, int last, const std::function<void(ProblemRow&)>& change)
{
    m_model->ChangeRows(std::size_t(first), std::size_t(last), change);
}

std::vector<ProblemRow> ProblemsPane::SwapRows(std::vector<ProblemRow> rows)
{
    return m_model->Swap(std::move(rows));
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
