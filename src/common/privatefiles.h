#pragma once

#include <QString>

namespace vistrel {

// The folder for this user's sockets, locks and the service manager's state: $XDG_RUNTIME_DIR when
// the session sets it, else ~/.vistrel-runtime, made with mode 0700. Either must be a folder of the
// user's that nobody else may write to (ours must also be no link, mode 0700); otherwise an empty
// path and why. There is no fallback to a shared folder: another account could take our names there.
QString userRuntimeFolder(QString *error);

// Opens a lock file, creating it with mode 0600, never through a link, and checks that it is a
// regular file of the user's. The descriptor (close-on-exec), or -1 and why.
int openLockFile(const QString &path, QString *error);

} // namespace vistrel
