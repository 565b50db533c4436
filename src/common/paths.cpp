#include "paths.h"

namespace vistrel::paths {

std::optional<QString> homeFolderProblem(const QString &home) {
    QString shown;
    bool refused = false;
    for (const QChar c : home) {
        const char16_t u = c.unicode();
        const bool control = u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0x2028 || u == 0x2029;
        refused = refused || control || u == QChar::ReplacementCharacter;
        // The message names the folder; what cannot be shown is spelled out.
        shown += control ? QStringLiteral("\\u%1").arg(int(u), 4, 16, QChar(u'0')) : QString(c);
    }
    if (!refused)
        return std::nullopt;
    return QStringLiteral("The home folder \"%1\" cannot hold the installation: its path is not valid UTF-8 or holds a "
                          "control character. Nothing was changed.")
        .arg(shown);
}

} // namespace vistrel::paths
