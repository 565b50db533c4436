#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

namespace vistrel {

// How to undo one change a run made. Records are data: the interpreter (rollback.h) knows each
// kind, and undoing one twice, or one whose change was never made or only half made, is safe.
struct UndoRecord {
    enum class Kind {
        PutBack,      // path was moved aside to aside: whatever stands at path goes, aside comes back
        Remove,       // the run made path: it goes, whatever it holds
        RemoveFolder, // the run made this folder: it and its folders go, as long as no file is in them
        RestoreFile,  // a small file: its previous bytes come back, or it goes when it had none
        Unload,       // the run loaded our agent: it is booted out
        Load,         // our agent ran before the run: it is loaded again from path, its plist
    };

    Kind kind = Kind::Remove;
    QString path;
    QString aside;                   // PutBack
    std::optional<QByteArray> bytes; // RestoreFile: nothing when the file was not there
    QString uid;                     // Unload, Load: the user's id, for the service domain

    static UndoRecord putBack(const QString &path, const QString &aside);
    static UndoRecord remove(const QString &path);
    static UndoRecord removeFolder(const QString &path);
    static UndoRecord restoreFile(const QString &path, const std::optional<QByteArray> &bytes);
    static UndoRecord unload(const QString &uid);
    static UndoRecord load(const QString &plist, const QString &uid);
    bool operator==(const UndoRecord &) const = default;
};

// A run's undo records in the order the changes were made, and the package it downloads. Each
// record is saved before the change it undoes is made (write, sync, rename, sync the folder), so
// a power cut at any moment leaves a journal that covers what happened. Without a path it is
// kept in memory only (a step run on its own).
class UndoJournal {
public:
    explicit UndoJournal(QString path = {});

    const QString &path() const { return m_path; }
    const QList<UndoRecord> &records() const { return m_records; }
    bool contains(UndoRecord::Kind kind) const;
    const QString &package() const { return m_package; }

    // Saves the journal with these records added; only when this gives nothing may the changes be
    // made. Otherwise why it could not be saved (the records are not kept).
    std::optional<QString> append(const QList<UndoRecord> &records);
    std::optional<QString> setPackage(const QString &package);
    // Forgets every record and removes the saved journal; false when it could not be removed.
    bool clear();

    // The journal saved at path; nothing (and why) when there is none or it cannot be read.
    static std::optional<UndoJournal> load(const QString &path, QString *reason = nullptr);

private:
    std::optional<QString> save() const;

    QString m_path;
    QList<UndoRecord> m_records;
    QString m_package;
};

} // namespace vistrel
