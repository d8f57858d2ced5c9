#include "store/TransientRetry.h"

#include <algorithm>

unsigned long retrytransient(const std::function<unsigned long()>& step,
                             const std::function<bool(unsigned long)>& transient,
                             std::chrono::milliseconds patience,
                             const std::function<void(std::chrono::milliseconds)>& pause) {
    constexpr std::chrono::milliseconds kStep{25};
    std::chrono::milliseconds waited{0};
    std::chrono::milliseconds next = kStep;
    for (;;) {
        const unsigned long code = step();
        if (code == 0 || !transient(code) || waited >= patience)
            return code;
        const std::chrono::milliseconds wait = std::min(next, patience - waited);
        pause(wait);
        waited += wait;
        next += kStep;
    }
}
