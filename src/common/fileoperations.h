#pragma once

#include <QString>

namespace vistrel {

// The outcome of one file-system operation, with the text the user is shown
// when it failed.
struct FileOperationResult {
    bool ok = true;
    bool existed = false; // removeIfPresent: something was there (and is gone when ok)
    int errorCode = 0;    // errno of the failure
    QString description;
};

// Creates a folder with all missing parents.
FileOperationResult createFolder(const QString &path);

// Removes whatever is at path, never following a symbolic link: a link is removed as a link, a
// folder with everything in it.
FileOperationResult removeIfPresent(const QString &path);

// Makes what happened to the names in path's folder (a rename, a removal) last a power cut.
void syncFolderOf(const QString &path);

// Replaces whatever file or link is at path with bytes as a whole and durably: a temporary file
// beside it is written and synced, renamed over path, and the folder synced. Never follows a link.
FileOperationResult replaceFile(const QString &path, const QByteArray &bytes);

// Copies a bundle folder with everything inside it to target, which must not exist yet. Files
// keep their permission bits (the executables stay executable) and links stay links. A copy that
// fails half-way is removed again, so target never holds a partial bundle.
// Blocking: meant for a worker thread.
FileOperationResult copyBundle(const QString &source, const QString &target);

} // namespace vistrel
