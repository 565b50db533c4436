#pragma once

#include "commandrunner.h"
#include "undojournal.h"

#include <QCoro/QCoroTask>

#include <chrono>
#include <functional>
#include <optional>

namespace vistrel {

using LineSink = std::function<void(const QString &)>;

// What undoing a run came to.
struct RollbackOutcome {
    bool complete = true;        // every record was undone
    bool previousLoaded = false; // the agent that ran before the run is loaded again
};

// Undoes records newest first, saying each undo through line as it happens; a record whose change
// is not (or no longer) there says nothing. launchctl is the service-manager tool for Unload and
// Load; nothing else runs, nothing waits for a server.
QCoro::Task<RollbackOutcome> rollBack(QList<UndoRecord> records, QString launchctl, LineSink line,
                                      std::chrono::milliseconds commandTimeout = defaultCommandTimeout);

// Undoes the journal a run that did not finish left for home, removes the package it was
// downloading, and the journal once everything is undone. The caller holds the run lock. Nothing
// when there is no journal.
QCoro::Task<std::optional<RollbackOutcome>> recoverJournal(QString home, QString launchctl, LineSink line);

// At a program's start: recoverJournal, when a journal is there and no run holds the lock (a live
// run's journal is not unfinished). Blocks on a nested event loop only then; one stat otherwise.
void recoverInterruptedRun(const QString &home, const QString &launchctl, const LineSink &line);

} // namespace vistrel
