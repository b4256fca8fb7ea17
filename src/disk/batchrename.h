// batchrename: the pass that renames a batch of files, and what became of each request.
#pragma once

#include <atomic>
#include <functional>
#include <initializer_list>
#include <memory>

#include <QList>
#include <QString>
#include <QStringList>

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

/// A list of names that takes one pointer while it is empty, as it is in nearly every result: a million
/// results are planned for every keystroke's check.
class NameList {
public:
    NameList() = default;
    NameList(const QStringList& names)
        : m_names(names.isEmpty() ? nullptr : std::make_unique<QStringList>(names))
    {
    }
    NameList(std::initializer_list<QString> names)
        : NameList(QStringList(names))
    {
    }
    NameList(const NameList& other)
        : NameList(other.list())
    {
    }
    NameList(NameList&&) noexcept = default;
    NameList& operator=(const NameList& other)
    {
        if (this != &other)
            m_names = other.isEmpty() ? nullptr : std::make_unique<QStringList>(*other.m_names);
        return *this;
    }
    NameList& operator=(NameList&&) noexcept = default;

    bool isEmpty() const { return !m_names; }
    qsizetype size() const { return m_names ? m_names->size() : 0; }
    QStringList list() const { return m_names ? *m_names : QStringList(); }
    const QString* begin() const { return m_names ? m_names->constData() : nullptr; }
    const QString* end() const { return m_names ? m_names->constData() + m_names->size() : nullptr; }
    void append(const QString& name)
    {
        if (!m_names)
            m_names = std::make_unique<QStringList>();
        m_names->append(name);
    }
    friend bool operator==(const NameList& a, const NameList& b) { return a.list() == b.list(); }

private:
    std::unique_ptr<QStringList> m_names; // null: no name
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
    NameList names = {};
};

/// The reason a move failed with errno `error` (EEXIST: NameTaken, ENOENT: SourceMissing).
Reason reasonForError(int error);

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

} // namespace batchrename
