#include "platform/ServiceNotify.h"

namespace platform {

// Windows starts a booth's program from the user's session (a start-up entry, a scheduled task), not
// from a service manager that waits for readiness or keeps a watchdog: there is nobody to tell.

void NotifyFrameSwapped() {}

void NotifyStatus(const std::string&) {}

} // namespace platform
