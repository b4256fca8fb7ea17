// PassSession: one rename or restore at a time, what the window reports of it, and the restore window it opens.
#pragma once

#include <functional>
#include <optional>

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include "disk/folderfacts.h"
#include "rename/listrequests.h"

class PassRunner;
class RenameList;

/**
 * Turns the list into the requests of a pass, runs it off the caller's thread (PassRunner), writes its
 * outcomes into the list when it stops, and counts what the passes of the open restore window did, for the
 * tip line. The restore window is open from a pass until the list or the settings change; closing it
 * forgets every given name (RenameList::closeRestore), so nothing of an earlier pass is restored.
 */
class PassSession : public QObject {
    Q_OBJECT

public:
    enum class Kind { Rename, Restore };
    /// What the tip line says after a pass, until the list or the settings change.
    struct Report {
        QStringList variants; // the same numbers, longest text first; empty: the window's own tip
        bool failing = false; // some rows failed: shown in the failing colour
    };
    /// A pass shorter than this shows no progress.
    static constexpr int kProgressDelayMs = 300;

    explicit PassSession(RenameList& list, QObject* parent = nullptr);
    ~PassSession() override;

    bool isRunning() const;
    /// The kind of the running pass, or of the last one.
    Kind kind() const { return m_kind; }
    /// Starts renaming the rows not done yet (Rename) or restoring the rows renamed in the open restore
    /// window (Restore); false when there is nothing to do or a pass runs. `beforeStep` is a test hook.
    bool start(Kind kind, const std::function<void(int step)>& beforeStep = {});
    /// Stops the pass before its next move.
    void cancel();
    /// The window is to close: stops the pass; stopped() then says to close.
    void cancelForClose();
    /// Closing was asked and the pass has not stopped yet.
    bool isClosing() const { return m_closeWhenStopped; }

    /// The list or the settings changed: the rows no longer describe the last pass, which can no longer be
    /// restored.
    void closeRestoreWindow();
    /// What to report of the passes since the list last changed; nothing when there is none to report.
    const std::optional<Report>& report() const { return m_report; }
    void forgetReport() { m_report.reset(); }
    /// What the last pass read of the list's folders after its moves.
    batchrename::FolderFacts takeFolderFacts() { return std::move(m_facts); }

signals:
    /// How far the pass has come, once it has run kProgressDelayMs; `caption` says it in words.
    void progress(const QString& caption, int done, int total);
    /// The pass has stopped and its outcomes are in the list; `close`: the window was asked to close meanwhile.
    void stopped(bool close);

private:
    void runnerProgress(int done, int total);
    void runnerStopped();
    Report makeReport(bool cancelled) const;

    RenameList& m_list;
    PassRunner* m_runner = nullptr;
    Kind m_kind = Kind::Rename;
    batchrename::RowRequests m_requests; // the running pass's requests and their rows
    QElapsedTimer m_clock;
    bool m_closeWhenStopped = false;
    batchrename::FolderFacts m_facts;
    std::optional<Report> m_report;
    int m_restored = 0; // restores done in the open restore window
    int m_restoreFailed = 0;
};
