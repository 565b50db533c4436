#pragma once

#include <QString>

namespace vistrel {

struct RemovalResult {
    enum Outcome { Absent, Removed, Failed };
    Outcome outcome = Absent;
    int errorCode = 0;        // errno of the failure
    QString errorDescription; // what the user is told when it failed
};

// Removes whatever is at path without ever following a symbolic link: a link (also one to a
// folder, also a dangling one) is removed as a link and its target stays; a folder is removed
// with its contents, and links inside it are removed as links. Blocking: run it off the main
// thread for anything that may be large.
RemovalResult removeEntry(const QString &path);

} // namespace vistrel
