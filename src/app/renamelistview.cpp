// RenameListView: the rename list's view and the delegate that paints its icons and colours.
#include "app/renamelistview.h"

#include <QHeaderView>

#include "rename/renamelist.h"

RenameListDelegate::RenameListDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void RenameListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const bool highlighted
        = index.column() == RenameList::OldNameColumn && index.data(RenameList::HighlightRole).toBool();
    const QColor text = highlighted ? highlightColor() : rowTextColor();
    option->palette.setColor(QPalette::Text, text);
    option->palette.setColor(QPalette::HighlightedText, highlighted ? text : QColor(Qt::white));
    if (index.column() == RenameList::OldNameColumn) {
        const int number = index.data(RenameList::IconRole).toInt();
        if (number >= 1 && number <= int(m_icons.size())) {
            option->icon = m_icons[number - 1];
            option->features |= QStyleOptionViewItem::HasDecoration;
            option->decorationSize = QSize(17, 17);
        }
    }
}

RenameListView::RenameListView(QWidget* parent)
    : QTreeView(parent)
    , m_delegate(new RenameListDelegate(this))
{
    setItemDelegate(m_delegate);
    setRootIsDecorated(false);
    setUniformRowHeights(true); // keeps a hundred thousand rows cheap to lay out
    setItemsExpandable(false);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHeaderHidden(true); // the strip above the list carries the captions
    setIconSize(QSize(17, 17));
    setTextElideMode(Qt::ElideRight);
    header()->setStretchLastSection(false);
    header()->setSectionResizeMode(QHeaderView::Fixed);
    header()->setMinimumSectionSize(0);
    QPalette p = palette();
    p.setColor(QPalette::Text, RenameListDelegate::rowTextColor());
    setPalette(p);
}

void RenameListView::layoutColumns()
{
    const int w = width();
    const double fractions[] = { 0.45, 0.0, 0.38, 0.11 };
    for (int c = 0; c < 4 && c < header()->count(); ++c)
        header()->resizeSection(c, qRound(w * fractions[c]));
}
