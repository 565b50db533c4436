#include "diagnosticsbridge.h"

#include "common/diagnostics.h"

namespace vistrel {

DiagnosticsBridge::DiagnosticsBridge(QObject *parent)
    : QObject(parent) {}

void DiagnosticsBridge::printLine(const QString &line) const {
    vistrel::printLine(line);
}

} // namespace vistrel
