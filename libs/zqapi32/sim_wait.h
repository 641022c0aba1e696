// Waiting in real time for the controller: the loop of ZqWaitForStop outside a
// command block, apart from the clock and the pause it runs on, so that its
// limit can be checked against any clock.
#pragma once
#include <cstdint>

#include "sim_errors.h"

namespace zqsim {

// Calls poll until it returns anything but kErrTimeout and returns that; pause
// runs between calls. After limit_ns on the clock now_ns it gives up with
// kErrTimeout.
template <typename Poll, typename Clock, typename Pause>
int PollUntilDone(Poll poll, Clock now_ns, Pause pause, int64_t limit_ns) {
    const int64_t start = now_ns();
    for (;;) {
        int r = poll();
        if (r != kErrTimeout) return r;
        if (now_ns() - start >= limit_ns) return kErrTimeout;
        pause();
    }
}

}  // namespace zqsim
