#pragma once

#include <QCoro/QCoroTask>

namespace vistrel {

class StepContext;

// Stops an earlier server: boots out our launch agent (by its label when the plist at our path
// names another) and kills a server process by name. Never fails but for an interruption. Our
// agent, loaded from our plist, is recorded first, so that undoing the run loads it again.
class ServiceCleanup {
public:
    explicit ServiceCleanup(StepContext &context)
        : m_context(context) {}
    QCoro::Task<void> run();

private:
    StepContext &m_context;
};

} // namespace vistrel
