// RowFolders: the rows' folders by number.
#include "disk/rowfolders.h"

#include <vector>

namespace batchrename {

quint32 RowFolders::number(const QString& folder)
{
    // Rows are mostly set in runs of one folder: the last folder asked for answers most calls.
    if (m_last < quint32(m_folders.size()) && m_folders.at(m_last) == folder)
        return m_last;
    const auto known = m_numbers.constFind(folder);
    if (known != m_numbers.cend())
        return m_last = known.value();
    m_last = quint32(m_folders.size());
    m_folders.append(folder);
    m_numbers.insert(folder, m_last);
    return m_last;
}

void RowFolders::resize(qsizetype rows, const QString& folder)
{
    if (rows <= m_rows.size()) {
        m_rows.resize(rows);
        return;
    }
    m_rows.resize(rows, number(folder));
}

void RowFolders::clear()
{
    m_folders.clear();
    m_numbers.clear();
    m_rows.clear();
}

QStringList RowFolders::distinct() const
{
    QStringList folders;
    std::vector<bool> seen(size_t(m_folders.size()), false);
    quint32 previous = quint32(-1);
    for (const quint32 folder : m_rows) {
        if (folder == previous)
            continue;
        previous = folder;
        if (seen[folder])
            continue;
        seen[folder] = true;
        folders.append(m_folders.at(folder));
    }
    return folders;
}

} // namespace batchrename
