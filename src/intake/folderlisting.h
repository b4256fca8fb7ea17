// Listing a folder's visible files and adding them as rows of the rename list.
#pragma once

#include <QString>
#include <QStringList>

#include "disk/folderfacts.h"

class RenameList;

namespace intake {

/**
 * The names of the visible files in `folderPath`, sorted by name without regard to case as a Chinese desktop
 * sorts them (NameOrder with DigitRuns::AsText: pinyin for Chinese characters, digits as text).
 *
 * Listed: regular files and symbolic links to regular files. Left out: names starting with "." (hidden
 * files), folders and links to folders, broken links, fifos, sockets and devices, names that are empty or
 * only spaces, and names that do not decode to text (they could not be found again from the row).
 * Names the collation cannot tell apart are ordered by their case-folded, then their exact text, so the order
 * never depends on the directory's own order. An empty path, or a folder that cannot be read, lists nothing.
 */
QStringList visibleFiles(const QString& folderPath);

/// A folder listed once for adding: the rows it gives and what the check needs to know of it.
struct ListedFolder {
    QString folder; // the absolute path ending in "/"; empty when the path names no folder to add
    QStringList names; // its visible files, as visibleFiles orders them
    batchrename::FolderFacts::Folder facts; // every entry, for the check (from the same listing)
};

/**
 * Lists `folderPath` for addFolder and the check in one pass; callable off the window's thread. A
 * relative path is taken from the current folder; a path whose text would name another folder (see
 * survivesDecoding) gives nothing.
 */
ListedFolder listFolder(const QString& folderPath);

/// Appends one row per name of `listed` in a single model insertion; returns the number of rows added.
int appendListed(RenameList& list, const ListedFolder& listed);

/**
 * Appends one row per visible file of `folderPath` (see visibleFiles) in a single model insertion: the
 * name as the old name, the folder ending in "/" (a relative path is taken from the current folder), icon 1.
 * Returns the number of rows added; a folder that cannot be listed adds nothing. The caller refreshes the
 * new names afterwards, also when nothing was added.
 */
int addFolder(RenameList& list, const QString& folderPath);

/**
 * Whether the absolute `path`, as a dialog hands it over, names the entries it was decoded from. A name
 * whose bytes are not valid UTF-8 reaches the program with U+FFFD in place of the bad bytes, and then
 * names another file or none: a component holding U+FFFD is looked up in its parent folder, and the path
 * is refused when an entry there decodes to the same text without being those bytes. Other paths are
 * taken as they are, without touching the disk.
 */
bool survivesDecoding(const QString& path);

} // namespace intake
