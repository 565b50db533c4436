#pragma once

#include "common/error.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace vistrel::test {

// Runs a step operation to its end on a nested event loop; its error, if it threw one.
std::optional<Error> runStep(QCoro::Task<void> task);

// One file of a package made for a test.
struct PackageFile {
    QString path;     // relative to the package's root
    QByteArray bytes; // content; for a link, its target
    int mode = 0644;
    bool isLink = false;
};

// Zips the files with the system's zip, links stored as links, names exactly as given (also
// "../x"). Returns the zip's path inside folder, or an empty text on failure.
QString makePackage(const QString &folder, const QList<PackageFile> &files);

// The files directly in a folder whose names start with prefix.
QStringList filesStartingWith(const QString &folder, const QString &prefix);

} // namespace vistrel::test
