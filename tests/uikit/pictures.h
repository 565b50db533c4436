#pragma once

#include "common/stringtable.h"

#include <QQuickWindow>
#include <QStringList>

namespace vistrel::test {

// Pictures of a program's window for a person to look at, saved in folder, and what a careful
// look catches: a raw string-table key, a text cut short or outside the window, a squeezed button
// or overflowing row, a symbol without a picture, and (unless allowed) content that does not fit
// and scrolls.
struct Pictures {
    Pictures(const QString &folder, const StringTable &keys);
    void take(QQuickWindow *window, const QString &name, bool mayScroll = false);
    QString folder;
    const StringTable &keys;
    QStringList findings;
    QStringList cutOnPurpose; // object names of texts that are cut to fit by design
};

} // namespace vistrel::test
