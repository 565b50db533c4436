#pragma once

#include "common/commandrunner.h"
#include "common/fileoperations.h"
#include "common/launchagent.h"
#include "common/rollback.h"
#include "common/timing.h"
#include "common/undojournal.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QString>

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

namespace vistrel {

class Platform;

// What the steps of an installation share: the platform, the timing, the log, the journal that
// each step writes its undo into before it changes anything, and the run's interruption. Every
// wait of a step goes through here, so that an interruption ends it: a pause wakes, children
// end, transfers are aborted, and the step throws interruptedError() where it next looks.
class StepContext : public QObject {
    Q_OBJECT

public:
    static constexpr int journalCode = 104;     // InstallError: the journal cannot be saved
    static constexpr int interruptedCode = 103; // InstallError

    StepContext(Platform &platform, Timing timing, LineSink log, LineSink replaceLastLog);
    ~StepContext() override;

    Platform &platform() const { return m_platform; }
    const Timing &timing() const { return m_timing; }
    QString home() const;
    QString installRoot() const;
    void log(const QString &line) const { m_log(line); }
    void replaceLastLog(const QString &line) const { m_replaceLastLog(line); }
    QNetworkAccessManager &network() { return m_network; }
    // The probes go loopback, never through a proxy.
    const std::shared_ptr<QNetworkAccessManager> &probeNetwork() const { return m_probeNetwork; }
    // The service-manager client for our job, with the command limit.
    LaunchAgent launchAgent() const;

    // The run's journal; steps run on their own keep theirs in memory.
    UndoJournal &journal() { return m_journal; }
    void setJournal(UndoJournal journal) { m_journal = std::move(journal); }
    // Saves records ahead of the changes they undo; throws when they cannot be kept.
    void record(const QList<UndoRecord> &records);
    // The record for the folders that making folder, with its parents, creates; nothing when it is there.
    static std::optional<UndoRecord> folderRecord(const QString &folder);
    // The record that gives path its present bytes back, or removes it when nothing is there.
    static UndoRecord fileRecord(const QString &path);
    // Makes folder with its missing parents, recorded first.
    FileOperationResult makeFolder(const QString &folder);

    // The package a run downloads or unpacks: named in the journal, so that recovery removes it,
    // and removed here when the run is cut short.
    void setTemporaryPackage(const QString &path);
    const QString &temporaryPackage() const { return m_temporaryPackage; }
    // From now on the package stays where it is (kept for a look after a failed unpacking).
    void keepTemporaryPackage() { m_temporaryPackage.clear(); }
    void discardTemporaryPackage();

    // Asks the steps to stop: waits wake, and with endWork children end and transfers are aborted.
    void interrupt(bool endWork);
    void resetInterruption() { m_interrupted = false; }
    bool interrupted() const { return m_interrupted; }
    // Throws interruptedError() once interrupt() was called.
    void checkpoint() const;
    static Error interruptedError();

    // A fixed wait that an interruption ends (throwing).
    QCoro::Task<void> pause(std::chrono::milliseconds duration);
    // runProcess and runCommand, after which an interruption throws.
    QCoro::Task<ProcessResult> process(QString program, QStringList arguments, ChildOutput output,
                                       std::chrono::milliseconds timeout);
    QCoro::Task<void> command(QString program, QStringList arguments);

signals:
    void interruptionRequested();

private:
    Platform &m_platform;
    Timing m_timing;
    LineSink m_log;
    LineSink m_replaceLastLog;
    QNetworkAccessManager m_network;
    std::shared_ptr<QNetworkAccessManager> m_probeNetwork;
    UndoJournal m_journal;
    QString m_temporaryPackage;
    bool m_interrupted = false;
};

} // namespace vistrel
