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
        const RowFolders* folders = nullptr;
        const QStringList* froms = nullptr;
    };

    /// Calls `use(rows, known)` with what is known of `rows` (learnt from `facts` unless these very rows
    /// were seen last), and returns what it returns; one call at a time.
    template <typename Use> auto use(const FolderFacts& facts, Columns columns, const plan::Rows& rows, Use use)
    {
        std::lock_guard lock(m_mutex);
        return use(rows, known(rows, columns, facts));
    }

private:
    Known& known(const plan::Rows& rows, Columns columns, const FolderFacts& facts);
    bool sameStrings(const plan::Rows& rows, Columns columns) const;

    std::mutex m_mutex;
    // The strings the rows were learnt from, kept alive so that the same string data means the same text:
    // whole columns shared with the caller when it handed columns (then the columns' data identify the
    // rows), else one copy per row.
    RowFolders m_folderColumn;
    QList<QString> m_folders;
    QList<QString> m_froms;
    bool m_columns = false;
    std::unique_ptr<Known> m_known;
};

} // namespace batchrename
