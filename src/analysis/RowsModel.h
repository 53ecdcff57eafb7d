#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

class QTreeView;

// The bottom panel's lists of places: a file, a line number and a text per
// row, held without a widget each, so that thousands of rows list at once.
// A list says what each of its cells shows beyond the text (a tooltip, a
// picture, a font) in Cell.
template <typename Row>
class RowsModel : public QAbstractTableModel {
public:
    void Reset(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    void SetCaptions(const QStringList& captions)
    {
        m_captions = captions;
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
    }
    const std::vector<Row>& Rows() const { return m_rows; }
    const Row& At(int row) const { return m_rows[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 3; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        if (role == Qt::TextAlignmentRole && index.column() == 1)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return Cell(m_rows[std::size_t(index.row())], index.column(), role);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section < m_captions.size())
            return m_captions[section];
        return {};
    }

protected:
    virtual QVariant Cell(const Row& row, int column, int role) const = 0;

private:
    std::vector<Row> m_rows;
    QStringList m_captions;
};

// A list view of such rows, as each of them shows it.
void ShowRowsIn(QTreeView* view, QAbstractItemModel* model);
