#include "panes/RowsModel.h"

#include <QHeaderView>
#include <QTreeView>

void ShowRowsIn(QTreeView* view, QAbstractItemModel* model)
{
    view->setModel(model);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setAlternatingRowColors(true);
    view->header()->setStretchLastSection(true);
    view->header()->setSectionResizeMode(QHeaderView::Interactive);
}
