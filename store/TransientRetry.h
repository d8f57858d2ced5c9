#pragma once
// Waiting out a file that another program holds for a moment: a virus scanner or a sync client often opens
// a file the instant it appears, and for that moment the system refuses to rename or remove it.

#include <chrono>
#include <functional>

// Runs `step` (0 for success, otherwise an error code) until it succeeds, fails with an error `transient`
// does not accept, or the pauses between the tries add up to `patience`. The pauses grow by 25 ms each
// (25, 50, 75 ...), the last cut to what the patience leaves. Returns the last try's code. `pause` waits; a
// test passes one that only records.
unsigned long retrytransient(const std::function<unsigned long()>& step,
                             const std::function<bool(unsigned long)>& transient,
                             std::chrono::milliseconds patience,
                             const std::function<void(std::chrono::milliseconds)>& pause);
