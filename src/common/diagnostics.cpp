#include "diagnostics.h"

#include <cstdio>

namespace vistrel {

namespace {
std::function<void(const QString &)> &sink() {
    static std::function<void(const QString &)> current;
    return current;
}
} // namespace

void printLine(const QString &line) {
    if (sink()) {
        sink()(line);
        return;
    }
    const QByteArray bytes = line.toUtf8() + '\n';
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

DiagnosticCapture::DiagnosticCapture(std::function<void(const QString &)> newSink)
    : m_previous(std::move(sink())) {
    sink() = std::move(newSink);
}

DiagnosticCapture::~DiagnosticCapture() {
    sink() = std::move(m_previous);
}

} // namespace vistrel
