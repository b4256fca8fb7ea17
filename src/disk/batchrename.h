// batchrename: the batch rename, the restore, and the check that foretells a pass, with a reason per row.
#pragma once

#include <atomic>
#include <functional>
#include <memory>

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

class RenameList;
namespace diskfs {
struct FolderEntries;
}

namespace batchrename {

/// One file to rename: `from` and `to` are bare names inside `folder`, which ends in "/".
struct Request {
    QString folder;
    QString from;
    QString to;
};

/// Why a request fails (or would fail). The reasons known before the disk answers come first, in the order
/// a row is judged: a row that fails for several of them carries the first.
enum class Reason : quint8 {
    None, // done, or would be done
    EmptyName, // 新文件名为空
    UnusableName, // 新文件名不能使用: ".", "..", holds "/" or NUL, or cannot be written as itself (a leading
                  // U+FEFF, dropped when the name is read back; a lone surrogate, written as "?"); also a
                  // folder without its closing "/"
    NameTooLong, // 新文件名太长: more than 255 bytes in UTF-8
    SourceMissing, // 原文件已不存在: no file (a folder is no file) under the old name
    DuplicateFile, // 此文件在列表中重复出现: the same file (by identity) named by an earlier request
    SameNewName, // 与第 N 行的新文件名相同: `otherRequest` claimed the name first
    NameTaken, // 文件夹中已有同名文件: held by a file or folder that does not leave it in this pass
    // Known only once the disk has answered:
    PermissionDenied, // 没有权限: EACCES, EPERM, EROFS (also a name that may not be looked at)
    DiskFull, // 磁盘已满: ENOSPC, EDQUOT
    Unsupported, // 文件系统不支持: ENOTSUP, ENOSYS, EXDEV, EINVAL from the file system
    Busy, // 被其他程序占用: EBUSY, ETXTBSY
    SystemError, // the system's own message for `sysError`
    NotReached, // the pass was cancelled before this request's move: its row is left as it was
};

/// What became (or would become) of one request.
struct Result {
    bool done = false; // the outcome word: 成功 / 还原成功 when true
    Reason reason = Reason::None; // None when done
    int otherRequest = -1; // SameNewName: index of the earlier request (in the same request list)
    int sysError = 0; // the errno behind the reasons known from the disk
    /// Set only when a failure left the file elsewhere than under its old name alone: every name it bears
    /// now (one: another name of the batch or a temporary one; two: it bears both, as a file system without
    /// a no-replace rename can leave it). The reason's text tells them.
    QStringList names = {};
};

/// The reason a move failed with errno `error` (EEXIST: NameTaken, ENOENT: SourceMissing).
Reason reasonForError(int error);

/**
 * The text shown to the user for a failing result, empty for None. SameNewName reads
 * "与第 N 行的新文件名相同" with N = otherRequest + 1 + rowOffset; for a restore, whose requests are a subset
 * of the rows, map otherRequest to its row first (applyRestoreResults does so for what it writes). A result
 * with `names` reads "文件现名为“x”（reason）" or "文件现有两个名称：“x”、“y”（reason）".
 */
QString reasonText(const Result& result, int rowOffset = 0);

/// How a pass is watched and stopped from another thread. Every member is optional.
struct PassControl {
    /// Read before each step, a step being one move (also inside a chain: a chain cut after any move
    /// leaves every file under its old or its new name) or one whole cycle: once true, no further step
    /// starts and every request whose move did not run reads NotReached. A cycle is never cut in the middle.
    const std::atomic<bool>* cancel = nullptr;
    /// Called on the pass's own thread after every 256 moves and once at the end: moves made so far and
    /// moves planned (a cycle of k files counts k, and its count grows with each exchange).
    std::function<void(int done, int total)> progress;
    /// Called on the pass's thread before step number `step` (0-based, steps as for `cancel`), before
    /// cancel is read: lets a test hold the pass there and cancel it before that step.
    std::function<void(int step)> beforeStep;
};

/**
 * Renames every request's file in one pass; element i of the result tells what became of request i.
 *
 * Nothing is ever replaced and nothing leaves its folder. Requests are judged in this order: the new
 * name (empty, refused by diskfs::isAcceptableName, or too long; a folder without its closing "/" counts
 * as an unusable name), the source (a file or a symbolic link that does not lead to a folder must be
 * there), the same file named by an earlier request, the new name claimed by an earlier request, the
 * new name held by something that stays. Files are known by the identity of their folder (device and
 * inode) and their name, so two spellings of one folder ("/d/", "/d/./", a link to it) name the same
 * files. Names that chain within the batch are renamed in an order that frees each name before it is
 * needed; a cycle of k files is done with k-1 atomic exchanges, so at every instant each file bears
 * one of the cycle's names (see diskfs::exchangeAt for file systems without exchange). A file asked for
 * more than once is renamed by its first request; a later one is done only if it asked for the name the
 * file ends up with. A request whose name stays is done when its file is there after the moves.
 * Paths compare exactly, so a change of letter case alone is a rename. Linear in the number of requests.
 *
 * Each folder is known by the device and inode it had when the pass planned; a folder that is opened
 * again (the pass holds one open at a time) and is another folder by then (replaced by a look-alike)
 * holds none of the batch's files. A name that cannot be looked at (a folder that may be listed but not
 * searched) fails with the system's reason, not as a missing file. Should a cycle fail, every exchange
 * made is undone that can be; a file left elsewhere than under its old or its new name, or under two
 * names, is told in its result's `names`.
 */
QList<Result> renameBatch(const QList<Request>& requests, const PassControl& control = {});

struct CheckCache;

/**
 * What the program knows of some folders without one system call per row: each folder listed once.
 * Cheap to copy (the listings are shared). A FolderFacts may be made on any thread and then used on
 * another; checkBatch may be called on it from any thread.
 */
class FolderFacts {
public:
    /// What a folder entry is, as far as the batch is concerned.
    enum class Entry : quint8 {
        File, // a regular file, or a symbolic link that does not lead to a folder
        Other, // a folder, a link to one, a fifo, a device...: never renamed, but holds its name
    };
    struct Folder {
        bool found = false; // the folder exists (device and inode are known); implied by `listed`
        bool listed = false; // its names were read and its entries may be looked at (then `entries` holds all)
        int error = 0; // why the folder was not found or not listed (an errno)
        quint64 device = 0;
        quint64 inode = 0;
        QHash<QString, Entry> entries; // every entry whose name decodes to text, hidden ones included
    };

    FolderFacts();

    /// The facts of `folder` (spelled as a request spells it), or nullptr if it was not listed.
    const Folder* folder(const QString& folder) const;
    /// Records `facts` for the folder spelled `folder`.
    void insert(const QString& folder, Folder facts);
    bool isEmpty() const { return m_folders.isEmpty(); }

private:
    friend QList<Result> checkBatch(const QList<Request>&, const FolderFacts&);
    friend QList<Result> checkColumns(const QStringList&, const QStringList&, const QStringList&, const FolderFacts&);
    QHash<QString, Folder> m_folders;
    // What a check learnt from the rows' folders and old names, kept for the next check of the same rows.
    std::shared_ptr<CheckCache> m_cache;
};

/// Lists each distinct folder of `folders` once (callable off the window's thread). Folders spelled
/// differently but naming the same folder share one listing. A folder that cannot be read, or whose
/// entries may not be looked at, is found but not listed: it is not taken as empty.
FolderFacts readFolderFacts(const QStringList& folders);
/// The facts of one folder from its listing (see diskfs::listFolderEntries).
FolderFacts::Folder folderFacts(const diskfs::FolderEntries& listing);

/**
 * The preview check: the same planner as renameBatch, judged against `facts` instead of the live disk;
 * touches the disk only for a folder that was found but could not be listed (or its names could not be
 * looked at): there each old name is looked up (once for as long as the rows stay the same) and each new
 * name a chain ends on (once per check). Element
 * i says whether request i would fail and why (done: it would succeed). A folder missing from `facts`
 * holds no file. On a disk unchanged since the facts were read, the pass gives the same results, except
 * for the reasons only a move can tell (permission to rename, full disk...). Names compare exactly, also
 * where the file system ignores letter case.
 *
 * Made for every keystroke: what depends on folders and old names only is kept in `facts` and reused
 * while the rows' folder and old-name strings are the very same (unchanged rows of one list), so a
 * check of 100,000 rows whose new names changed costs a few milliseconds. Refresh the facts (list the
 * folders again) when files are added or removed, before a pass and when the window is activated.
 */
QList<Result> checkBatch(const QList<Request>& requests, const FolderFacts& facts);
/// checkBatch of request i = (folders[i], froms[i], tos[i]), without copying a name (the lists are of
/// equal length).
QList<Result> checkColumns(
    const QStringList& folders, const QStringList& froms, const QStringList& tos, const FolderFacts& facts);

/// One request per row: folder, old name, new name.
QList<Request> renameRequests(const RenameList& list);

/// The requests of a pass over some of the list's rows, and the row each request is for.
struct RowRequests {
    QList<Request> requests;
    QList<int> rows; // rows[i]: the row of requests[i]
    int kept = 0; // the first `kept` requests only hold renamed files where they are; their results are not written
};

/**
 * The requests of 开始更名 over the list's columns. A row renamed in the open restore (its given name set) is
 * done: it is not renamed again, and enters first as a request that keeps its file under the name it was
 * given, so that no other row can rename that file or claim its name. Every other row is requested as it
 * reads. `givenNames` may be empty (no row is done).
 */
RowRequests continueRequests(const QStringList& folders, const QStringList& oldNames, const QStringList& newNames,
    const QStringList& givenNames);
RowRequests continueRequests(const RenameList& list);
/// The requests of 还原: every row reading exactly "成功" whose given name is set, from that name back to the
/// old name.
RowRequests restoreRowRequests(const RenameList& list);
/// One request per row reading exactly "成功" with a given name (given name back to old name); `rows` receives
/// their rows.
QList<Request> restoreRequests(const RenameList& list, QList<int>* rows);

/// The reason text of `result` for the request of `requests` it belongs to, naming rows, not requests.
QString rowReasonText(const RowRequests& requests, Result result);

/// Writes "成功" (with the name given) / "失败" and their icons into the rows of the requests after the kept
/// ones; NotReached rows are left as they were.
void applyRenameResults(RenameList& list, const RowRequests& requests, const QList<Result>& results);
/// applyRenameResults for one request per row, in row order.
void applyRenameResults(RenameList& list, const QList<Result>& results);
/// Writes "还原成功" / "还原失败" into the rows of the requests and forgets their given names; NotReached
/// rows stay.
void applyRestoreResults(RenameList& list, const RowRequests& requests, const QList<Result>& results);
void applyRestoreResults(RenameList& list, const QList<int>& rows, const QList<Result>& results);

/**
 * The batch rename on the calling thread: renameBatch over continueRequests, then applyRenameResults.
 * Old names, folders and new names are left as they are. Nothing happens on an empty list, nor when every
 * row is done.
 */
void renameAll(RenameList& list);

/**
 * The restore: every row reading exactly "成功" with a given name has its file renamed from that name back
 * to its old one, in one pass with the same rules, and reads "还原成功" or "还原失败". Other rows are not
 * touched, so a second restore changes nothing.
 */
void restoreAll(RenameList& list);

} // namespace batchrename
