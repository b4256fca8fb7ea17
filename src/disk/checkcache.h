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
    };

    /// Calls `use(known)` with what is known of `rows` (learnt from `facts` unless these very rows were
    /// seen last) and returns what it returns; one call at a time.
    template <typename Use> auto use(const std::vector<plan::RowRef>& rows, const FolderFacts& facts, Use use)
    {
        std::lock_guard lock(m_mutex);
        return use(known(rows, facts));
    }

private:
    Known& known(const std::vector<plan::RowRef>& rows, const FolderFacts& facts);
    bool sameStrings(const std::vector<plan::RowRef>& rows) const;

    std::mutex m_mutex;
    QList<QString> m_folders;
    QList<QString> m_froms;
    std::unique_ptr<Known> m_known;
};

} // namespace batchrename
