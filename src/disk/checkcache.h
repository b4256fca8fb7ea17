// CheckCache: what a check learnt from the rows' folders and old names, kept for the next check.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include <QList>
#include <QString>

#include "disk/batchplan.h"
#include "disk/folderhandles.h"

namespace batchrename {

class FolderFacts;

/**
 * Owned by a FolderFacts (and shared by its copies): the sources of the rows the last check saw, held
 * with those rows' folder and old-name strings, so that the same string data means the same text and a
 * check of the same rows with other new names reuses them. Checks of one cache take turns.
 */
class CheckCache {
public:
    /// What the rows' folders and old names came to.
    struct Known {
        plan::Sources sources;
        FolderHandles handles; // the folders of `sources`, for looking names up
        std::vector<bool> listed; // per folder of `sources`: its names came from the facts
        plan::Plan plan; // the last check's, whose memory the next check of these rows plans in
    };

    /// The rows' folders and old names as whole lists, when the rows are laid out from such lists.
    struct Columns {
        const QStringList* folders = nullptr;
        const QStringList* froms = nullptr;
    };

    /// Calls `fill(rows)` to lay out the rows to check, then `use(rows, known)` with what is known of them
    /// (learnt from `facts` unless these very rows were seen last), and returns what it returns; one call at
    /// a time. The rows' list is kept for the next call, like the plan's lists.
    template <typename Fill, typename Use> auto use(const FolderFacts& facts, Columns columns, Fill fill, Use use)
    {
        std::lock_guard lock(m_mutex);
        m_rows.clear();
        fill(m_rows);
        return use(m_rows, known(m_rows, columns, facts));
    }

private:
    Known& known(const std::vector<plan::RowRef>& rows, Columns columns, const FolderFacts& facts);
    bool sameStrings(const std::vector<plan::RowRef>& rows, Columns columns) const;

    std::mutex m_mutex;
    std::vector<plan::RowRef> m_rows;
    // The strings the rows were learnt from, kept alive so that the same string data means the same text:
    // whole lists shared with the caller when it handed columns (then the lists' data identify the rows),
    // else one copy per row.
    QList<QString> m_folders;
    QList<QString> m_froms;
    bool m_columns = false;
    std::unique_ptr<Known> m_known;
};

} // namespace batchrename
