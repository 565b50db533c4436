#pragma once

#include "installer/engine/installationservice.h"

#include "await.h"
#include "fakeplatform.h"
#include "testenv.h"

#include <QCoro/QCoroTask>

#include <memory>
#include <optional>

namespace vistrel::test {

inline std::optional<Error> runStep(QCoro::Task<void> task) {
    return thrownError(std::move(task));
}
int modeOf(const QString &path); // permission bits, of a link itself
bool setMode(const QString &path, int mode);

// The engine for a home of its own, with the platform answering for it in English. The service
// is shared as the program holds it, so a test may let go of it mid-run.
struct World {
    explicit World(const QString &origin = {}, const QString &homeName = {});
    QString root() const;

    TestHome home;
    FakePlatform platform;
    std::shared_ptr<InstallationService> service;
};

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

} // namespace vistrel::test
