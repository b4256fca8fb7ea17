// RenameListView: the report view over the rename list, with row icons, row colours and row dragging.
#pragma once

#include <array>
#include <optional>

#include <QIcon>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>
#include <QTableView>

/**
 * Paints a row's icon from its icon number, its first column red while it is the drop target, and the new
 * name of a row that would fail in dark red. Tooltips: the whole name of a cut name cell, why a new name
 * would fail, and why a "失败" or "还原失败" row failed.
 */
class RenameListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit RenameListDelegate(QObject* parent = nullptr);

    /// The pictures for icon numbers 1..5 (index 0 holds number 1).
    void setIcons(const std::array<QIcon, 5>& icons) { m_icons = icons; }

    static QColor rowTextColor() { return QColor(62, 86, 104); }
    static QColor highlightColor() { return QColor(255, 0, 0); }
    static QColor failingNameColor() { return QColor(192, 0, 0); }

    /// The tooltip of a cell as the delegate lays it out in `option`; empty for none.
    QString toolTip(const QStyleOptionViewItem& option, const QModelIndex& index) const;

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    std::array<QIcon, 5> m_icons;
};

/**
 * The list starts a drag of its selected row itself (the data is that row's old name as plain text) and
 * reports the drag's stages to the window, which decides what a drop does.
 *
 * Keys: Delete asks to remove the selected row, Alt+Up and Alt+Down to move it; Ctrl+Tab, Ctrl+Shift+Tab,
 * Ctrl+PageUp and Ctrl+PageDown pass on to the window rather than move in the list.
 */
class RenameListView : public QTableView {
    Q_OBJECT

public:
    explicit RenameListView(QWidget* parent = nullptr);

    RenameListDelegate* rowDelegate() const { return m_delegate; }
    /// Sets the four column widths as fractions of the view's width: 45 %, 0 %, 38 % and 11 %.
    void layoutColumns();
    /// The pointer shown for the whole of a row drag.
    void setDragPointer(const QPixmap& pointer) { m_dragPointer = pointer; }
    const QPixmap& dragPointer() const { return m_dragPointer; }

    /// The selected row (0-based), none when nothing is selected.
    std::optional<int> selectedRow() const;
    /// Makes `row` the one selected row; none clears the selection.
    void selectRow(std::optional<int> row);
    /// The row under a point of the viewport, none over the empty area.
    std::optional<int> rowAt(const QPoint& point) const;
    /// The tooltip the cell under a point of the viewport shows; empty for none.
    QString toolTipAt(const QPoint& point) const;

    /// Marks `row` as the drop target (its old name is drawn red) or un-marks it; the mark moves with its
    /// row when rows are inserted or removed above it, and goes with the row.
    void setDropMark(int row, bool on);
    bool isDropMarked(int row) const;

signals:
    void OLEStartDrag();
    void OLEDragOver(const QPoint& point);
    void OLEDragDrop(const QMimeData* data, const QPoint& point);
    /// The drag ended or left the list without a drop here.
    void OLECompleteDrag();
    /// Delete was pressed in the list.
    void deleteRowPressed();
    /// Alt+Up (step -1) or Alt+Down (step 1) was pressed in the list.
    void moveRowPressed(int step);

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// Rows are one line high, whatever the font; the height is set once for all rows.
    void fitRowHeight();

    RenameListDelegate* m_delegate;
    QPixmap m_dragPointer;
    QList<QPersistentModelIndex> m_dropMarks;
};
