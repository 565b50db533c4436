#pragma once

#include <QString>

#include <functional>

namespace vistrel {

// Writes one diagnostic line to standard output (never into a window or a log file).
void printLine(const QString &line);

// While alive, diagnostic lines go to the given sink instead of standard output. Lets a test see
// exactly what a model printed. Main thread only.
class DiagnosticCapture {
public:
    explicit DiagnosticCapture(std::function<void(const QString &)> sink);
    ~DiagnosticCapture();
    DiagnosticCapture(const DiagnosticCapture &) = delete;
    DiagnosticCapture &operator=(const DiagnosticCapture &) = delete;

private:
    std::function<void(const QString &)> m_previous;
};

} // namespace vistrel
