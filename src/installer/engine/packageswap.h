#pragma once

#include "common/undojournal.h"

#include <QList>
#include <QString>

#include <optional>

namespace vistrel {

// Moves a package unpacked in a staging folder into the install root by renames only, the
// paths the package contains and nothing else. A folder of the root that holds something the
// package does not contain (user data) is entered and its package paths moved one by one; one
// that holds only package paths is moved aside and replaced whole (one rename for a bundle).
// What is replaced waits in the previous folder until the run commits or is undone. Links are
// never followed.
class PackageSwap {
public:
    PackageSwap(QString staging, QString root, QString previous);

    // Works out the moves without changing anything; why the package may not be moved in when it
    // would replace a folder holding something it does not contain, or uses a reserved name.
    std::optional<QString> plan();
    // How to undo the planned moves, to be journaled before swap().
    QList<UndoRecord> undoRecords() const;
    // Makes the planned moves; the first failure's description.
    std::optional<QString> swap() const;

private:
    struct Move {
        QString relative; // below the root
        bool replaces;    // something is there and goes to the previous folder
    };

    std::optional<QString> planFolder(const QString &relative);

    QString m_staging;
    QString m_root;
    QString m_previous;
    QList<Move> m_moves;
};

} // namespace vistrel
