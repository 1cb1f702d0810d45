// Buffers for the product to work in: each one lies against an inaccessible
// page on one side (a step past it faults) and has canary bytes on the other
// (a step there is found by the check after the call).
#pragma once

#include <cstddef>
#include <cstdint>

#include "tests/host/guarded_buffer.h"

namespace stress {

using Guard = testbed::GuardedBuffer::Guard;

constexpr size_t kCanaryBytes = 64;

class Arena {
public:
    // Room for windows of up to `capacity` bytes on either side.
    explicit Arena(size_t capacity);
    bool ok() const { return after_.ok() && before_.ok(); }
    size_t capacity() const { return capacity_; }

    // A window of `size` bytes (at most capacity()) against the guard page on
    // the side `guard` names; the canaries on its other side are freshly
    // written. The window's own bytes are left as the last user left them.
    uint8_t *Window(size_t size, Guard guard);
    // The canaries of the last window are as written.
    bool CanariesIntact() const;

private:
    size_t capacity_;
    testbed::GuardedBuffer after_, before_;
    uint8_t *canary_ = nullptr;
    uint8_t pattern_ = 0;
};

}  // namespace stress
