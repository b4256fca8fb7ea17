// RenameListView: the rename list's view and the delegate that paints its icons and colours.
#include "app/renamelistview.h"

#include <algorithm>

#include <QApplication>
#include <QDrag>
#include <QDragMoveEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QToolTip>

#include "app/wrappedtext.h"
#include "rename/renamelist.h"

namespace {

// Tooltips of long names and reasons wrap here: about 40 Chinese characters a line.
constexpr int kToolTipWidth = 480;

} // namespace

RenameListDelegate::RenameListDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

void RenameListDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    option->state &= ~QStyle::State_HasFocus; // the view frames the whole current row instead
    const auto* view = qobject_cast<const RenameListView*>(option->widget);
    const bool highlighted = index.column() == RenameList::OldNameColumn && view && view->isDropMarked(index.row());
    const bool failing
        = index.column() == RenameList::NewNameColumn && !index.data(RenameList::CheckReasonRole).toString().isEmpty();
    const QColor text = highlighted ? highlightColor() : failing ? failingNameColor() : rowTextColor();
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

QString RenameListDelegate::toolTip(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStringList lines;
    switch (index.column()) {
    case RenameList::OldNameColumn:
    case RenameList::NewNameColumn: {
        QStyleOptionViewItem laidOut = option;
        initStyleOption(&laidOut, index);
        const QStyle* style = laidOut.widget ? laidOut.widget->style() : QApplication::style();
        const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &laidOut, laidOut.widget);
        // The style keeps a small margin on each side of the text.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &laidOut, laidOut.widget) + 1;
        if (laidOut.fontMetrics.horizontalAdvance(laidOut.text) > textRect.width() - 2 * margin)
            lines << laidOut.text;
        if (index.column() == RenameList::NewNameColumn)
            lines << index.data(RenameList::CheckReasonRole).toString();
        break;
    }
    case RenameList::OutcomeColumn:
        lines << index.data(RenameList::OutcomeReasonRole).toString();
        break;
    }
    lines.removeAll(QString());
    return lines.join(QLatin1Char('\n'));
}

bool RenameListDelegate::helpEvent(
    QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option, const QModelIndex& index)
{
    if (!event || !view || event->type() != QEvent::ToolTip)
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    const QString tip = index.isValid() ? toolTip(option, index) : QString();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
        return false;
    }
    // A 255-byte name is wider than a screen: the tooltip wraps at a width that still reads as a line.
    QToolTip::showText(event->globalPos(), wrappedtext::wrapped(tip, QToolTip::font(), kToolTipWidth), view->viewport(),
        view->visualRect(index));
    return true;
}

RenameListView::RenameListView(QWidget* parent)
    : QTableView(parent)
    , m_delegate(new RenameListDelegate(this))
{
    // A table, not a tree: a tree lays out an item of its own for every row the model holds, which at a
    // million rows stalls the window on each insertion; a table's rows are sections of one fixed height.
    setItemDelegate(m_delegate);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false); // Tab leaves the list for the next control
    setIconSize(QSize(17, 17));
    setTextElideMode(Qt::ElideRight);
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    setDragDropMode(QAbstractItemView::DragDrop);
    horizontalHeader()->hide(); // the strip above the list carries the captions
    verticalHeader()->hide();
    // The outcome column reaches the list's right edge, so a selected row is highlighted across the list.
    horizontalHeader()->setStretchLastSection(true);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(0);
    fitRowHeight();
    QPalette p = palette();
    p.setColor(QPalette::Text, RenameListDelegate::rowTextColor());
    setPalette(p);
}

void RenameListView::fitRowHeight()
{
    // One line of text or the 17-pixel icon, with the margins the style keeps around an item.
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.text = QStringLiteral("Ag");
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    option.decorationSize = iconSize();
    const QSize hint = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    verticalHeader()->setDefaultSectionSize(hint.height());
}

void RenameListView::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitRowHeight();
}

void RenameListView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const int key = event->key();
    if (key == Qt::Key_Delete && modifiers == Qt::NoModifier) {
        emit deleteRowPressed();
        event->accept();
        return;
    }
    if ((key == Qt::Key_Up || key == Qt::Key_Down) && modifiers == Qt::AltModifier) {
        emit moveRowPressed(key == Qt::Key_Up ? -1 : 1);
        event->accept();
        return;
    }
    // The window switches plans with these; the list would otherwise page through its rows.
    if ((modifiers & Qt::ControlModifier)
        && (key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_PageUp || key == Qt::Key_PageDown)) {
        event->ignore();
        return;
    }
    QTableView::keyPressEvent(event);
}

void RenameListView::paintEvent(QPaintEvent* event)
{
    QTableView::paintEvent(event);
    // The current row is framed whole, as a report list frames it, not its first cell alone.
    const QModelIndex current = currentIndex();
    if (!current.isValid() || !(hasFocus() || viewport()->hasFocus()))
        return;
    QStyleOptionViewItem item;
    initViewItemOption(&item);
    QStyleOptionFocusRect frame;
    frame.QStyleOption::operator=(item);
    // What an item view's cell sets on the frame it draws around itself.
    frame.state |= QStyle::State_HasFocus | QStyle::State_KeyboardFocusChange | QStyle::State_Item;
    frame.rect = QRect(0, rowViewportPosition(current.row()), viewport()->width(), rowHeight(current.row()));
    const bool selected = selectionModel() && selectionModel()->isRowSelected(current.row(), {});
    frame.backgroundColor = palette().color(selected ? QPalette::Highlight : QPalette::Base);
    QPainter painter(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

QModelIndex RenameListView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    // The list moves through rows, not cells: Home and End go to the first and the last row, and Left and
    // Right stay on the row (a table would move along the row's cells).
    const int rows = model() ? model()->rowCount() : 0;
    switch (action) {
    case MoveHome:
        return rows > 0 ? model()->index(0, 0) : QModelIndex();
    case MoveEnd:
        return rows > 0 ? model()->index(rows - 1, 0) : QModelIndex();
    case MoveLeft:
    case MoveRight:
        return currentIndex();
    default:
        return QTableView::moveCursor(action, modifiers);
    }
}

void RenameListView::layoutColumns()
{
    const int w = width();
    const double fractions[] = { 0.45, 0.0, 0.38, 0.11 };
    for (int c = 0; c < 4 && c < horizontalHeader()->count(); ++c)
        horizontalHeader()->resizeSection(c, qRound(w * fractions[c]));
}

void RenameListView::setDropMark(int row, bool on)
{
    if (!model() || row < 0 || row >= model()->rowCount() || isDropMarked(row) == on)
        return;
    const QModelIndex cell = model()->index(row, RenameList::OldNameColumn);
    m_dropMarks.removeIf([](const QPersistentModelIndex& mark) { return !mark.isValid(); }); // rows gone
    if (on)
        m_dropMarks.append(cell);
    else
        m_dropMarks.removeIf([row](const QPersistentModelIndex& mark) { return mark.row() == row; });
    update(cell);
}

bool RenameListView::isDropMarked(int row) const
{
    return std::any_of(m_dropMarks.cbegin(), m_dropMarks.cend(),
        [row](const QPersistentModelIndex& mark) { return mark.isValid() && mark.row() == row; });
}

std::optional<int> RenameListView::selectedRow() const
{
    if (!selectionModel())
        return std::nullopt;
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().row();
}

void RenameListView::selectRow(std::optional<int> row)
{
    if (!selectionModel())
        return;
    if (!row || *row < 0 || *row >= model()->rowCount()) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(
        model()->index(*row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

std::optional<int> RenameListView::rowAt(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return std::nullopt;
    return index.row();
}

QString RenameListView::toolTipAt(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid())
        return {};
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    return m_delegate->toolTip(option, index);
}

void RenameListView::startDrag(Qt::DropActions)
{
    const std::optional<int> row = selectedRow();
    if (!row)
        return;
    QMimeData* data = model()->mimeData({ model()->index(*row, 0) });
    if (!data)
        return;
    emit OLEStartDrag();
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    if (!m_dragPointer.isNull()) {
        for (Qt::DropAction action : { Qt::MoveAction, Qt::CopyAction, Qt::IgnoreAction })
            drag->setDragCursor(m_dragPointer, action);
    }
    // The drop handler moves the row itself; the drag never removes anything from the model.
    drag->exec(Qt::MoveAction | Qt::CopyAction, Qt::MoveAction);
    emit OLECompleteDrag();
}

void RenameListView::dragEnterEvent(QDragEnterEvent* event)
{
    event->acceptProposedAction();
}

void RenameListView::dragMoveEvent(QDragMoveEvent* event)
{
    emit OLEDragOver(event->position().toPoint());
    event->acceptProposedAction();
}

void RenameListView::dragLeaveEvent(QDragLeaveEvent* event)
{
    emit OLECompleteDrag();
    event->accept();
}

void RenameListView::dropEvent(QDropEvent* event)
{
    emit OLEDragDrop(event->mimeData(), event->position().toPoint());
    event->setDropAction(Qt::CopyAction); // nothing for the source to remove
    event->accept();
}
