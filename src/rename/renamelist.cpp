// RenameList: the rows of the rename list and the operations the window's commands perform on them.
#include "rename/renamelist.h"

#include <algorithm>

#include <QMimeData>

#include "rename/namegenerator.h"

RenameList::RenameList(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int RenameList::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int RenameList::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RenameList::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case OldNameColumn:
            return m_oldNames.at(row);
        case FolderColumn:
            return m_folders.at(row);
        case NewNameColumn:
            return newName(row);
        case OutcomeColumn:
            return outcome(row);
        }
        break;
    case IconRole:
        return static_cast<int>(m_icons.at(row));
    case CheckReasonRole:
        return checkReason(row);
    case OutcomeReasonRole:
        return outcomeReason(row);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::AccessibleDescriptionRole:
        // What a screen reader reads beside the cell: a failing new name is not marked by its colour alone.
        if (index.column() == NewNameColumn && !checkReason(row).isEmpty())
            return QString(QStringLiteral("无法更名：") + checkReason(row));
        if (index.column() == OutcomeColumn)
            return outcomeReason(row);
        break;
    }
    return {};
}

QVariant RenameList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case OldNameColumn:
        return QStringLiteral("原文件名");
    case FolderColumn:
        return QStringLiteral("URL");
    case NewNameColumn:
        return QStringLiteral("新文件名");
    case OutcomeColumn:
        return QStringLiteral("处理结果");
    }
    return {};
}

Qt::ItemFlags RenameList::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

QStringList RenameList::mimeTypes() const
{
    return { QStringLiteral("text/plain") };
}

QMimeData* RenameList::mimeData(const QModelIndexList& indexes) const
{
    for (const QModelIndex& index : indexes) {
        if (index.isValid() && index.model() == this) {
            auto* data = new QMimeData;
            data->setText(m_oldNames.at(index.row()));
            return data;
        }
    }
    return nullptr;
}

Qt::DropActions RenameList::supportedDragActions() const
{
    return Qt::MoveAction | Qt::CopyAction;
}

QString RenameList::withClosingSeparator(const QString& folder)
{
    if (folder.isEmpty() || folder.endsWith(QLatin1Char('/')))
        return folder;
    return folder + QLatin1Char('/');
}

void RenameList::append(const QList<Entry>& entries)
{
    if (entries.isEmpty())
        return;
    const int first = count();
    const qsizetype total = first + entries.size();
    beginInsertRows({}, first, static_cast<int>(total) - 1);
    editRows([total](auto& field) { field.resize(total); }); // new names and outcomes start empty
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry& e = entries.at(i);
        m_oldNames[first + i] = e.oldName;
        // A run of rows of one folder makes its text with the closing "/" once, not once a row.
        const bool sameFolder = i > 0 && e.folder == entries.at(i - 1).folder;
        m_folders.set(first + i, sameFolder ? m_folders.at(first + i - 1) : withClosingSeparator(e.folder));
        m_icons[first + i] = e.icon;
    }
    endInsertRows();
}

void RenameList::appendFolder(const QString& folder, const QStringList& names)
{
    if (names.isEmpty())
        return;
    const int first = count();
    const qsizetype total = first + names.size();
    const QString closed = withClosingSeparator(folder);
    beginInsertRows({}, first, static_cast<int>(total) - 1);
    editRows([&](auto& field) {
        // A first fill takes the room it needs; growing by the lists' policy would set aside three quarters
        // more (18 MB more for a million texts). The old names share the listed ones.
        if (field.isEmpty() && static_cast<const void*>(&field) != &m_oldNames)
            field.reserve(total);
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, QStringList>) {
            if (&field == &m_oldNames) {
                if (field.isEmpty())
                    field = names; // shared, not copied
                else
                    field.append(names);
                return;
            }
            field.resize(total);
        } else if constexpr (std::is_same_v<std::decay_t<decltype(field)>, batchrename::RowFolders>) {
            field.resize(total, closed);
        } else {
            field.resize(total, RowIcon::Added);
        }
    });
    endInsertRows();
}

void RenameList::append(const QString& oldName, const QString& folder, RowIcon icon)
{
    append(QList<Entry> { Entry { oldName, folder, icon } });
}

void RenameList::insert(int position, const Entry& entry)
{
    Q_ASSERT(position >= 0 && position <= count());
    beginInsertRows({}, position, position);
    editRows([position](auto& field) { field.insert(position, {}); });
    m_oldNames[position] = entry.oldName;
    m_folders.set(position, withClosingSeparator(entry.folder));
    m_icons[position] = entry.icon;
    endInsertRows();
}

void RenameList::remove(int position)
{
    Q_ASSERT(position >= 0 && position < count());
    beginRemoveRows({}, position, position);
    if (!checkReason(position).isEmpty())
        --m_failing;
    if (!givenName(position).isEmpty())
        --m_restorable;
    editRows([position](auto& field) { field.removeAt(position); });
    endRemoveRows();
}

void RenameList::clear()
{
    beginResetModel();
    editRows([](auto& field) { field.clear(); });
    m_spareColumn.clear();
    m_failing = 0;
    m_restorable = 0;
    endResetModel();
}

void RenameList::exchangeCarried(int a, int b)
{
    Q_ASSERT(a >= 0 && a < count() && b >= 0 && b < count());
    if (a == b)
        return;
    m_extensions.reset();
    ++m_columnGeneration;
    m_oldNames.swapItemsAt(a, b);
    m_folders.swapItemsAt(a, b);
    m_icons.swapItemsAt(a, b);
    const int top = std::min(a, b);
    const int bottom = std::max(a, b);
    emit dataChanged(index(top, 0), index(bottom, ColumnCount - 1));
}

const QString& RenameList::cell(const QStringList& sparse, int row)
{
    static const QString empty;
    return sparse.isEmpty() ? empty : sparse.at(row);
}

void RenameList::fill(QStringList& sparse) const
{
    if (sparse.isEmpty())
        sparse.resize(m_oldNames.size());
}

void RenameList::setNewNames(QStringList names)
{
    Q_ASSERT(names.size() == m_oldNames.size());
    if (names.size() != m_oldNames.size() || names.isEmpty())
        return;
    m_newNames = std::move(names);
    m_columnCurrent = true;
    ++m_columnGeneration;
    emit dataChanged(index(0, NewNameColumn), index(count() - 1, NewNameColumn), { Qt::DisplayRole });
}

void RenameList::refreshNewNames(const PlanSettings& settings)
{
    if (m_oldNames.isEmpty())
        return;
    static_cast<void>(setPlan(settings));
    makeColumn();
}

QStringList RenameList::setPlan(const PlanSettings& settings)
{
    m_recipe = std::make_shared<const NameRecipe>(settings);
    ++m_columnGeneration;
    QStringList replaced = std::exchange(m_newNames, {});
    if (m_spareColumn.isEmpty())
        m_spareColumn.swap(replaced);
    // An empty list has its column at once: rows added later start without a new name, as they always do.
    m_columnCurrent = m_oldNames.isEmpty();
    if (!m_oldNames.isEmpty())
        emit dataChanged(index(0, NewNameColumn), index(count() - 1, NewNameColumn), { Qt::DisplayRole });
    return replaced;
}

QString RenameList::newName(int row) const
{
    if (!m_columnCurrent)
        return m_recipe->name(row, m_oldNames.at(row));
    return cell(m_newNames, row);
}

const QStringList& RenameList::newNames() const
{
    makeColumn();
    fill(m_newNames);
    return m_newNames;
}

void RenameList::makeColumn() const
{
    if (m_columnCurrent)
        return;
    if (!m_extensions)
        m_extensions = std::make_shared<const Extensions>(m_oldNames);
    QStringList names = columnStorage(std::exchange(m_spareColumn, {}), m_oldNames.size());
    // On this thread alone: threads making a million new texts at once wait on each other for memory (the
    // process has one heap), which cost more than the second thread saved (about 300 ms in two parts against
    // 200 alone). The window's column is made in parts by namecolumn::make, mostly in the column it replaces.
    m_recipe->fill(m_oldNames, m_extensions.get(), names.data(), 0, names.size());
    m_newNames = std::move(names);
    m_columnCurrent = true;
}

QStringList RenameList::columnStorage(QStringList spare, qsizetype count)
{
    if (!spare.isDetached())
        return QStringList(count);
    spare.resize(count);
    return spare;
}

RenameList::ColumnJob RenameList::columnJob()
{
    if (m_columnCurrent)
        return { nullptr, {}, nullptr, m_columnGeneration, {} };
    return { m_recipe, m_oldNames, m_extensions, m_columnGeneration, std::exchange(m_spareColumn, {}) };
}

bool RenameList::adoptNewNames(quint64 generation, QStringList& names, std::shared_ptr<const Extensions> extensions)
{
    if (m_columnCurrent || generation != m_columnGeneration || names.size() != m_oldNames.size())
        return false;
    m_newNames.swap(names);
    m_columnCurrent = true;
    if (!m_extensions && extensions && extensions->size() == m_oldNames.size())
        m_extensions = std::move(extensions);
    return true;
}

void RenameList::setOutcome(int row, const QString& text, RowIcon icon, const QString& reason)
{
    fill(m_outcomes);
    fill(m_outcomeReasons);
    m_outcomes[row] = text;
    m_icons[row] = icon;
    m_outcomeReasons[row] = reason;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void RenameList::setOutcomes(const QList<int>& rows, const QList<RowOutcome>& outcomes)
{
    Q_ASSERT(rows.size() == outcomes.size());
    const qsizetype n = std::min(rows.size(), outcomes.size());
    if (n > 0) {
        fill(m_outcomes);
        fill(m_outcomeReasons);
    }
    int top = count();
    int bottom = -1;
    for (qsizetype i = 0; i < n; ++i) {
        const int row = rows.at(i);
        if (row < 0 || row >= count())
            continue;
        const RowOutcome& o = outcomes.at(i);
        m_outcomes[row] = o.text;
        m_icons[row] = o.icon;
        m_outcomeReasons[row] = o.reason;
        m_restorable += int(!o.given.isEmpty()) - int(!givenName(row).isEmpty());
        if (!o.given.isEmpty())
            fill(m_givenNames);
        if (!m_givenNames.isEmpty())
            m_givenNames[row] = o.given;
        top = std::min(top, row);
        bottom = std::max(bottom, row);
    }
    if (m_restorable == 0)
        m_givenNames.clear();
    if (bottom >= 0)
        emit dataChanged(index(top, 0), index(bottom, ColumnCount - 1));
}

void RenameList::closeRestore()
{
    if (m_restorable == 0)
        return;
    m_givenNames.clear();
    m_restorable = 0;
}

void RenameList::setCheckReasons(QStringList reasons)
{
    Q_ASSERT(reasons.isEmpty() || reasons.size() == m_oldNames.size());
    if (!reasons.isEmpty() && reasons.size() != m_oldNames.size())
        return;
    const int failing = static_cast<int>(
        std::count_if(reasons.cbegin(), reasons.cend(), [](const QString& r) { return !r.isEmpty(); }));
    if (failing == 0)
        reasons.clear();
    if (failing == m_failing && reasons == m_checkReasons)
        return;
    m_failing = failing;
    m_checkReasons = std::move(reasons);
    if (count() > 0)
        emit dataChanged(index(0, NewNameColumn), index(count() - 1, NewNameColumn), { CheckReasonRole });
}
