// RenameList: the table model that is the only store of the rows to rename.
#pragma once

#include <memory>

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

#include "disk/rowfolders.h"
#include "rename/namegenerator.h"
#include "rename/renamerow.h"

/**
 * The rows of the rename list: old name, folder, new name, outcome text and icon number per row.
 *
 * Rows have no key; callers address them by 0-based position. The folder always ends in "/", so
 * folder + old name is the file's current path and folder + new name the proposed one.
 * Columns: "原文件名" (old name), "URL" (folder), "新文件名" (new name), "处理结果" (outcome).
 * The new names follow the plan settings in force (setPlan): a row's name is made when it is asked for, and the
 * whole column is made once, off the caller's thread by whoever takes columnJob(), or on the first newNames().
 * The icon number (1..5) is exposed through IconRole; the picture belongs to the window. Screen readers read
 * Qt::AccessibleDescriptionRole: "无法更名：" and the reason beside a new name that would fail, and the reason
 * beside an outcome that failed.
 */
class RenameList : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { OldNameColumn = 0, FolderColumn = 1, NewNameColumn = 2, OutcomeColumn = 3, ColumnCount = 4 };
    enum Role {
        IconRole = Qt::UserRole + 1, // int 1..5
        CheckReasonRole, // QString: why renaming the row as it stands would fail; empty when it would not
        OutcomeReasonRole, // QString: why the last rename or restore of the row failed; empty otherwise
    };

    /// One row as appended or inserted: the carried cells.
    struct Entry {
        QString oldName;
        QString folder;
        RowIcon icon = RowIcon::Added;
    };

    explicit RenameList(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Drag data: the old name of the first dragged row as plain text.
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;

    int count() const { return static_cast<int>(m_oldNames.size()); }

    /// Appends rows at the end in one insertion; a folder without a closing "/" gets one.
    void append(const QList<Entry>& entries);
    void append(const QString& oldName, const QString& folder, RowIcon icon = RowIcon::Added);
    /// Appends one row per name of `folder`, icon 1, in one insertion; into an empty list the names are
    /// shared rather than copied, so a listed folder of a million files goes in at once.
    void appendFolder(const QString& folder, const QStringList& names);
    /// Inserts one row before `position` (0..count); its new name and outcome start empty.
    void insert(int position, const Entry& entry);
    void remove(int position);
    void clear();
    /// Exchanges the carried cells (old name, folder, icon) of two rows; new name and outcome stay put.
    void exchangeCarried(int a, int b);

    /// Replaces every row's new name in one pass with one change signal; `names` must hold count() names.
    void setNewNames(QStringList names);
    /// Recomputes every row's new name from the plan settings (nothing happens on an empty list).
    void refreshNewNames(const PlanSettings& settings);
    /// The plan settings now in force, with one change signal over the new-name column. Nothing is made yet:
    /// newName() makes a row's name when asked; the column is made from columnJob() and adoptNewNames(), or by
    /// newNames(). The column the settings replaced is kept for the next column to be made in (see columnJob());
    /// returns what is not kept, for the caller to free where it may take long.
    [[nodiscard]] QStringList setPlan(const PlanSettings& settings);
    /// Whether the new-name column is made for the settings in force (no column is to be made).
    bool hasCurrentColumn() const { return m_columnCurrent; }
    /// What making the column takes, as values a worker may keep; its recipe is null when the column is current.
    struct ColumnJob {
        std::shared_ptr<const NameRecipe> recipe;
        QStringList oldNames;
        std::shared_ptr<const Extensions> extensions; // of oldNames; null when not laid out yet
        quint64 generation = 0;
        // A column no longer wanted, to make the new one in: a million names made where a million were freed
        // just before take memory the process already has (fresh memory costs more to touch than to fill).
        QStringList spare;
    };
    /// The job of the column in force; the first job after setPlan() takes the replaced column as its spare.
    ColumnJob columnJob();
    /// A list of `count` names to write a column into: `spare` itself when nothing else shares it, else new.
    static QStringList columnStorage(QStringList spare, qsizetype count);
    /// The column made from a columnJob() of `generation`: taken when that is still the current generation
    /// (neither the settings nor the rows changed since) and no column is in place. `names` then holds the
    /// column it replaced, for the caller to free.
    bool adoptNewNames(quint64 generation, QStringList& names, std::shared_ptr<const Extensions> extensions);
    void setOutcome(int row, const QString& text, RowIcon icon, const QString& reason = {});
    /// Writes outcome i into row rows[i] for every i, with one change signal over the rows written.
    void setOutcomes(const QList<int>& rows, const QList<RowOutcome>& outcomes);
    /// Forgets every row's given name: the list no longer describes what the last pass did, so no 成功 left
    /// in it may be restored or counted as done.
    void closeRestore();
    /// Replaces every row's check reason (empty: the row would be renamed) with one change signal;
    /// `reasons` must hold count() texts, or none when no row fails.
    void setCheckReasons(QStringList reasons);

    const QString& oldName(int row) const { return m_oldNames.at(row); }
    const QString& folder(int row) const { return m_folders.at(row); }
    /// The row's new name for the settings in force, made now when the column is not made yet.
    QString newName(int row) const;
    const QString& outcome(int row) const { return cell(m_outcomes, row); }
    RowIcon icon(int row) const { return m_icons.at(row); }
    const QString& checkReason(int row) const { return cell(m_checkReasons, row); }
    const QString& outcomeReason(int row) const { return cell(m_outcomeReasons, row); }
    /// The name the last pass gave the row's file while its restore is open; empty otherwise.
    const QString& givenName(int row) const { return cell(m_givenNames, row); }
    /// The number of rows with a given name: renamed, and not restored, in the open restore.
    int restorableCount() const { return m_restorable; }
    /// The number of rows whose check reason is not empty.
    int failingCount() const { return m_failing; }
    Entry entry(int row) const { return { m_oldNames.at(row), m_folders.at(row), m_icons.at(row) }; }
    QString oldPath(int row) const { return m_folders.at(row) + m_oldNames.at(row); }
    QString newPath(int row) const { return m_folders.at(row) + newName(row); }
    const QStringList& oldNames() const { return m_oldNames; }
    /// Every row's new name for the settings in force; makes the column here when it is not made yet.
    const QStringList& newNames() const;
    const batchrename::RowFolders& folders() const { return m_folders; }
    /// Every row's given name; may hold no entry at all while no row has one (restorableCount() is 0).
    const QStringList& givenNames() const { return m_givenNames; }
    /// Every row's check reason; holds no entry at all while no row fails.
    const QStringList& checkReasons() const { return m_checkReasons; }

    /// The folder with exactly one closing "/" added when it has none (an empty folder stays empty).
    static QString withClosingSeparator(const QString& folder);

private:
    /// Applies `edit` to every per-row list, so that a new field of a row is added here and in data() only;
    /// whatever changes the old names also drops the laid-out extensions and makes a column being made stale.
    /// A sparse list holds no entry at all while every row's text is empty, and is left so.
    template <typename Edit> void editRows(Edit edit)
    {
        m_extensions.reset();
        ++m_columnGeneration;
        edit(m_oldNames);
        edit(m_folders);
        edit(m_icons);
        for (QStringList* sparse : { &m_newNames, &m_outcomes, &m_outcomeReasons, &m_givenNames, &m_checkReasons }) {
            if (!sparse->isEmpty())
                edit(*sparse);
        }
    }
    /// Row `row` of a sparse list.
    static const QString& cell(const QStringList& sparse, int row);
    /// Gives `sparse` an entry for every row.
    void fill(QStringList& sparse) const;
    /// Makes the new-name column of the settings in force, if it is not made.
    void makeColumn() const;

    // One list per field keeps a refresh a single pass over contiguous names. Most rows have no outcome, no
    // given name and no reasons: those lists hold nothing until a row has one (a million rows would spend 24
    // MB on each list of empty texts, and a check that finds nothing wrong would make one per keystroke).
    QStringList m_oldNames;
    batchrename::RowFolders m_folders; // a row holds its folder's number: rows mostly share a few folders
    mutable QStringList m_newNames; // sparse; the names of the settings in force when m_columnCurrent
    QStringList m_outcomes; // sparse
    QList<RowIcon> m_icons;
    QStringList m_checkReasons; // sparse
    QStringList m_outcomeReasons; // sparse
    QStringList m_givenNames; // sparse
    int m_failing = 0;
    int m_restorable = 0;
    // The settings in force; null until the first setPlan(). While the column is not made, a row's new name
    // is made from these when asked.
    std::shared_ptr<const NameRecipe> m_recipe;
    mutable bool m_columnCurrent = true;
    mutable QStringList m_spareColumn; // the column setPlan() replaced, for the next column made
    quint64 m_columnGeneration = 0; // every setPlan() and every change of the rows: which column is current
    // The old names' extensions, laid out for the next column; dropped whenever an old name changes.
    mutable std::shared_ptr<const Extensions> m_extensions;
};
