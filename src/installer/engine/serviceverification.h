#pragma once

#include <QString>

#include <QCoro/QCoroTask>

#include <optional>

namespace vistrel {

class StepContext;

// The verification step: polls the server on localhost at the installed port until it answers.
class ServiceVerification {
public:
    // typedPort: the port as the user typed it, for when the port file cannot be read.
    ServiceVerification(StepContext &context, QString typedPort)
        : m_context(context)
        , m_typedPort(std::move(typedPort)) {}

    // The port on which the server answered 200. Throws vistrel::Error.
    QCoro::Task<qint64> run();

    // The port the port file names (else the typed one, else the default); nothing when that is no
    // port, and the text it came from in *text.
    std::optional<qint64> installedPort(QString *text) const;
    // True once the server answers on port, polled as the verification polls but without a line.
    QCoro::Task<bool> answers(qint64 port);

private:
    StepContext &m_context;
    QString m_typedPort;
};

} // namespace vistrel
