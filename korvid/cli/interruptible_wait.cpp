#include "korvid/cli/interruptible_wait.h"

#include "common/cli/interrupt_scope.h"

namespace korvid {

bool wait_watching_interrupt(const std::function<bool(uint32_t)>& wait, const std::function<void()>& cancel)
{
    common::cli::InterruptScope scope;
    bool cancelled = false;
    while (!wait(20)) {
        if (scope.interrupted() && !cancelled) {
            cancelled = true;
            cancel();
        }
    }
    return cancelled || scope.interrupted();
}

} // namespace korvid
