#include "launchagent.h"

#include "paths.h"
#include "plist.h"
#include "smallfile.h"

namespace vistrel {

bool plistNamesOurLabel(const QString &plistPath) {
    // Ours is a few hundred bytes; whatever sits there is read without blocking and within bounds.
    const std::optional<QByteArray> bytes = readSmallFile(plistPath, 256 * 1024);
    const std::optional<QVariant> plist = bytes ? parsePlist(*bytes) : std::nullopt;
    const QVariant label = plist ? plist->toMap().value(QStringLiteral("Label")) : QVariant();
    return label.typeId() == QMetaType::QString && label.toString() == QStringView(paths::launchAgentLabel);
}

QString serviceTarget(const QString &uid) {
    return QStringLiteral("gui/") + uid + u'/' + QString::fromUtf16(paths::launchAgentLabel);
}

} // namespace vistrel
