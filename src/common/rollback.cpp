#include "rollback.h"

#include "fileoperations.h"
#include "launchagent.h"
#include "paths.h"
#include "runlock.h"
#include "smallfile.h"

#include <QFile>

#include <filesystem>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace vistrel {

namespace {

namespace fs = std::filesystem;

// A journal may hold a file of any of our small kinds (plist, settings, desktop entries, icons).
constexpr qint64 restoredFileLimit = 4 * 1024 * 1024;

bool present(const QString &path) {
    struct stat info = {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

// Removes folder and the folders in it, bottom up, as long as no file or link is in them; true
// when folder is gone (or was never there). Links are never followed.
bool pruneFolders(const fs::path &folder, bool &removedAny) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(folder, error);
    if (status.type() == fs::file_type::not_found)
        return true;
    if (status.type() != fs::file_type::directory)
        return false;
    bool empty = true;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        empty = pruneFolders(it->path(), removedAny) && empty;
    if (!empty || error || !fs::remove(folder, error))
        return false;
    removedAny = true;
    return true;
}

// One record undone; a problem's text, or nothing.
struct Undo {
    QString launchctl;
    const LineSink &line;
    std::chrono::milliseconds timeout;
    RollbackOutcome &outcome;

    QCoro::Task<std::optional<QString>> operator()(const UndoRecord &record) const {
        switch (record.kind) {
        case UndoRecord::Kind::PutBack:
            co_return putBack(record.path, record.aside);
        case UndoRecord::Kind::Remove:
            co_return remove(record.path);
        case UndoRecord::Kind::RemoveFolder: {
            bool removedAny = false;
            pruneFolders(fs::path(QFile::encodeName(record.path).toStdString()), removedAny);
            if (removedAny && !present(record.path))
                line(QStringLiteral("Removed folder ") + record.path);
            co_return std::nullopt;
        }
        case UndoRecord::Kind::RestoreFile:
            co_return restore(record.path, record.bytes);
        case UndoRecord::Kind::Unload: {
            const LaunchAgent agent(launchctl, {}, ChildOutput::CaptureMerged, timeout);
            if (!(co_await agent.bootout(record.uid, LaunchAgent::Target::Label)).failure())
                line(QStringLiteral("Unloaded the new service"));
            co_return std::nullopt;
        }
        case UndoRecord::Kind::Load: {
            const LaunchAgent agent(launchctl, record.path, ChildOutput::CaptureMerged, timeout);
            const std::optional<Error> failure = (co_await agent.bootstrap(record.uid)).failure();
            // Loaded already counts: the run may have ended before it stopped the service.
            if (failure && (co_await agent.print(record.uid)).failure())
                co_return QStringLiteral("the previous service could not be loaded: ") + failure->description();
            outcome.previousLoaded = true;
            if (!failure)
                line(QStringLiteral("Loaded the previous service again"));
            co_return std::nullopt;
        }
        }
        co_return std::nullopt;
    }

    std::optional<QString> putBack(const QString &path, const QString &aside) const {
        // Without the copy aside, nothing was moved, or it is back already.
        if (!present(aside))
            return std::nullopt;
        const FileOperationResult cleared = removeIfPresent(path);
        if (!cleared.ok)
            return cleared.description;
        if (std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(path).constData()) != 0)
            return QStringLiteral("%1 could not be put back: %2")
                .arg(path, QString::fromLocal8Bit(std::strerror(errno)));
        line(QStringLiteral("Put back ") + path);
        return std::nullopt;
    }

    std::optional<QString> remove(const QString &path) const {
        const FileOperationResult removed = removeIfPresent(path);
        if (!removed.ok)
            return removed.description;
        if (removed.existed)
            line(QStringLiteral("Removed ") + path);
        return std::nullopt;
    }

    std::optional<QString> restore(const QString &path, const std::optional<QByteArray> &bytes) const {
        if (!bytes)
            return remove(path);
        if (readSmallFile(path, restoredFileLimit) == bytes)
            return std::nullopt;
        const FileOperationResult written = replaceFile(path, *bytes);
        if (!written.ok)
            return written.description;
        line(QStringLiteral("Restored ") + path);
        return std::nullopt;
    }
};

} // namespace

QCoro::Task<RollbackOutcome> rollBack(QList<UndoRecord> records, QString launchctl, LineSink line,
                                      std::chrono::milliseconds commandTimeout) {
    RollbackOutcome outcome;
    const Undo undo{launchctl, line, commandTimeout, outcome};
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if (const std::optional<QString> problem = co_await undo(*it)) {
            outcome.complete = false;
            line(QStringLiteral("⚠️ Could not undo: ") + *problem);
        }
    }
    co_return outcome;
}

QCoro::Task<std::optional<RollbackOutcome>> recoverJournal(QString home, QString launchctl, LineSink line) {
    const QString path = paths::installJournal(home);
    if (!present(path))
        co_return std::nullopt;
    line(QStringLiteral("An installation did not finish; putting back what it changed..."));
    QString reason;
    std::optional<UndoJournal> journal = UndoJournal::load(path, &reason);
    if (!journal) {
        line(QStringLiteral("⚠️ Could not read its journal %1: %2").arg(path, reason));
        co_return RollbackOutcome{false, false};
    }
    const RollbackOutcome outcome = co_await rollBack(journal->records(), launchctl, line);
    if (!journal->package().isEmpty() && removeIfPresent(journal->package()).existed)
        line(QStringLiteral("Removed its package ") + journal->package());
    if (!outcome.complete) {
        line(QStringLiteral("⚠️ Not everything could be put back; the next start tries again."));
        co_return outcome;
    }
    journal->clear();
    line(QStringLiteral("The installation from before it is back."));
    co_return outcome;
}

void recoverInterruptedRun(const QString &home, const QString &launchctl, const LineSink &line) {
    if (!present(paths::installJournal(home)))
        return;
    const RunLock lock(runLockPath(home));
    if (lock.held())
        QCoro::waitFor(recoverJournal(home, launchctl, line));
}

} // namespace vistrel
