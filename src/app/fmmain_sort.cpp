// fmMain's list menu: sorting the rows by name in natural order or by modification time.
#include "app/fmmain.h"

#include <QMenu>

#include "app/renamelistview.h"
#include "intake/roworder.h"

void fmMain::connectSortMenu()
{
    // The window's designed controls stay as they are; the sorts are additions on the list's own menu.
    mnuListOrder = new QMenu(this);
    mnuListOrder->setFont(windowFont());
    connect(mnuListOrder->addAction(QStringLiteral("按名称排序（自然顺序）")), &QAction::triggered, this,
        &fmMain::mnuSortByName_Click);
    connect(mnuListOrder->addAction(QStringLiteral("按修改时间排序")), &QAction::triggered, this,
        &fmMain::mnuSortByTime_Click);
    ListReName->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListReName, &QWidget::customContextMenuRequested, this, &fmMain::ListReName_ContextMenu);
}

void fmMain::ListReName_ContextMenu(const QPoint& point)
{
    // The list reports the point in its viewport's coordinates.
    mnuListOrder->popup(ListReName->viewport()->mapToGlobal(point));
}

void fmMain::mnuSortByName_Click()
{
    if (!ListReName->isEnabled()) // a pass is running: the rows stay as they are
        return;
    applyOrderResult(intake::sortByName(*m_list, ListReName->selectedRow()));
}

void fmMain::mnuSortByTime_Click()
{
    if (!ListReName->isEnabled())
        return;
    applyOrderResult(intake::sortByModificationTime(*m_list, ListReName->selectedRow()));
}
