// RowFolders: the folder of every row of a batch, each distinct folder text held once.
#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

namespace batchrename {

/**
 * A column of folders, one per row, as a list of texts would hold them; but a row holds only the number of
 * its folder (4 bytes rather than the 24 of a text), since rows mostly share a few folders: a million files
 * of one folder keep one text. Cheap to copy: the lists are implicitly shared, so a worker may be handed the
 * column as it stands. A folder no row holds any more stays among the distinct ones until clear().
 */
class RowFolders {
public:
    qsizetype size() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    const QString& at(qsizetype row) const { return m_folders.at(m_rows.at(row)); }

    /// Sets the folder of `row`; its text is kept once, whatever row holds it.
    void set(qsizetype row, const QString& folder) { m_rows[row] = number(folder); }
    /// Rows added at the end hold `folder`.
    void resize(qsizetype rows, const QString& folder = {});
    void reserve(qsizetype rows) { m_rows.reserve(rows); }
    void insert(qsizetype row, const QString& folder) { m_rows.insert(row, number(folder)); }
    void removeAt(qsizetype row) { m_rows.removeAt(row); }
    void swapItemsAt(qsizetype a, qsizetype b) { m_rows.swapItemsAt(a, b); }
    void clear();

    /// The distinct folders rows hold, each once, in the order of the first row holding each.
    QStringList distinct() const;
    /// Whether `other` is this very column, unchanged since one was copied from the other: then the texts of
    /// every row are the same strings.
    bool isSameColumn(const RowFolders& other) const
    {
        return m_rows.constData() == other.m_rows.constData() && m_rows.size() == other.m_rows.size()
            && m_folders.constData() == other.m_folders.constData();
    }

private:
    quint32 number(const QString& folder);

    QStringList m_folders; // each distinct folder once
    QHash<QString, quint32> m_numbers; // the place of each text in m_folders
    QList<quint32> m_rows; // each row's folder, as its place in m_folders
    quint32 m_last = 0; // the folder number() gave last
};

} // namespace batchrename
