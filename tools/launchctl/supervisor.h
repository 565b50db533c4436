#pragma once

#include "domain.h"
#include "jobspec.h"

namespace launchctl {

// Hands the job to a detached supervisor process (its own session, not a child of the caller, no
// descriptor of the caller kept) and returns once the supervisor holds the job's lock and has
// published its state, having started the job when RunAtLoad or KeepAlive asks for it. False and
// a reason when the supervisor could not take the job; nothing is left loaded then. Call with the
// domain locked and the label not loaded.
bool startSupervisor(const JobSpec &job, const Domain &domain, QString *reason);

} // namespace launchctl
