// RenameListView: the report view over the rename list, with row icons, row colours and row dragging.
#pragma once

#include <array>

#include <QIcon>
#include <QStyledItemDelegate>
#include <QTreeView>

/// Paints a row's icon from its icon number and its first column red while it is the drop target.
class RenameListDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    explicit RenameListDelegate(QObject* parent = nullptr);

    /// The pictures for icon numbers 1..5 (index 0 holds number 1).
    void setIcons(const std::array<QIcon, 5>& icons) { m_icons = icons; }

    static QColor rowTextColor() { return QColor(62, 86, 104); }
    static QColor highlightColor() { return QColor(255, 0, 0); }

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    std::array<QIcon, 5> m_icons;
};

class RenameListView : public QTreeView {
    Q_OBJECT

public:
    explicit RenameListView(QWidget* parent = nullptr);

    RenameListDelegate* rowDelegate() const { return m_delegate; }
    /// Sets the four column widths as fractions of the view's width: 45 %, 0 %, 38 % and 11 %.
    void layoutColumns();

private:
    RenameListDelegate* m_delegate;
};
