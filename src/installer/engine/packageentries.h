#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace vistrel {

// What unzip's listing says about one entry of an archive.
struct PackageEntry {
    QByteArray name;
    bool isSymlink = false;
};

// The entries of a "unzip -Z -T -s" listing. Nothing when the listing does not account for
// every entry the archive declares (a name with a line break, an unexpected format).
std::optional<QList<PackageEntry>> parseZipListing(const QByteArray &listing);

// False for an absolute name or one with a ".." component: unpacking it would leave the root.
bool entryStaysInside(QByteArrayView name);

// False when a link stored at entryName with this target points outside the root.
bool linkStaysInside(QByteArrayView entryName, QByteArrayView target);

// unzip treats member names as wildcard patterns; this one matches only the name itself.
QString unzipLiteralPattern(const QByteArray &name);

// The verdict on an archive before anything of it is unpacked.
struct PackageCheck {
    enum class Outcome { Safe, Unreadable, Unsafe };
    Outcome outcome = Outcome::Safe;
    int exitCode = 0; // unzip's status when Unreadable
    QString message;  // unzip's complaint when Unreadable; the offending entry when Unsafe
};

// Lists the archive with unzip and checks that no entry (nor any link it stores) leads out of
// root, the folder it is unpacked into, once every link is followed: the package's own, chained,
// and those an earlier installation left in root.
QCoro::Task<PackageCheck> checkPackageEntries(QString unzipProgram, QString zipPath, QString root = {});

} // namespace vistrel
