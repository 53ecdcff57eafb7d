#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <algorithm>
#include <iterator>
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
    // Reset, handing back the rows it had.
    std::vector<Row> Swap(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows.swap(rows);
        endResetModel();
        return rows;
    }
    // The same as Reset for what is shown, with the least change: rows that
    // stay the same stay, the others change in place, and only the
    // difference in number is inserted or removed. A list of thousands of
    // rows in which a line moved costs what the view shows of it.
    void Update(std::vector<Row> rows)
    {
        const std::size_t oldCount = m_rows.size(), newCount = rows.size();
        std::size_t head = 0;
        while (head < oldCount && head < newCount && m_rows[head] == rows[head])
            ++head;
        std::size_t tail = 0;
        while (tail < oldCount - head && tail < newCount - head &&
               m_rows[oldCount - 1 - tail] == rows[newCount - 1 - tail])
            ++tail;
        rows.erase(rows.end() - std::ptrdiff_t(tail), rows.end());
        rows.erase(rows.begin(), rows.begin() + std::ptrdiff_t(head));
        Replace(head, oldCount - head - tail, std::move(rows));
    }
    // Rows [at, at + count) become `rows`, the others stay: for a list that
    // knows what changed, and need not compare thousands of rows.
    void Replace(std::size_t at, std::size_t count, std::vector<Row> rows)
    {
        const std::size_t same = std::min(count, rows.size());
        std::move(rows.begin(), rows.begin() + std::ptrdiff_t(same), m_rows.begin() + std::ptrdiff_t(at));
        if (same > 0)
            Q_EMIT dataChanged(index(int(at), 0), index(int(at + same - 1), columnCount() - 1));
        const int from = int(at + same);
        if (rows.size() > count) {
            beginInsertRows({}, from, from + int(rows.size() - count) - 1);
            m_rows.insert(m_rows.begin() + from, std::make_move_iterator(rows.begin() + std::ptrdiff_t(same)),
                          std::make_move_iterator(rows.end()));
            endInsertRows();
        } else if (count > rows.size()) {
            beginRemoveRows({}, from, from + int(count - rows.size()) - 1);
            m_rows.erase(m_rows.begin() + from, m_rows.begin() + from + std::ptrdiff_t(count - rows.size()));
            endRemoveRows();
        }
    }
    // Changes rows [first, last) in place, each with `change(row)` in turn.
    template <typename Change>
    void ChangeRows(std::size_t first, std::size_t last, Change change)
    {
        if (first >= last)
            return;
        for (std::size_t i = first; i < last; ++i)
            change(m_rows[i]);
        Q_EMIT dataChanged(index(int(first), 0), index(int(last - 1), columnCount() - 1));
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
