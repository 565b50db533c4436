#pragma once

#include <QByteArrayView>
#include <QString>

#include <QCoro/QCoroTask>

namespace vistrel {

// False for an absolute name or one with a ".." component: unpacking it would leave the root.
bool entryStaysInside(QByteArrayView name);

// False when a link stored at entryName with this target points outside the root.
bool linkStaysInside(QByteArrayView entryName, QByteArrayView target);

// The verdict on an archive before anything of it is unpacked.
struct PackageCheck {
    enum class Outcome { Safe, Unreadable, Unsafe };
    Outcome outcome = Outcome::Safe;
    int exitCode = 0;         // unzip's status for such an archive when Unreadable
    QString message;          // what is wrong when Unreadable; the offending entry when Unsafe
    qint64 unpackedBytes = 0; // the entries' sizes added up (at most the largest qint64)
};

// Reads the archive's directory and checks that no entry (nor any link it stores) leads out of
// root, the folder it is unpacked into, once every link is followed: the package's own, chained,
// and those an earlier installation left in root. Runs on the thread pool.
QCoro::Task<PackageCheck> checkPackageEntries(QString zipPath, QString root = {});

} // namespace vistrel
