#include "tests/stress/corruption/arena.h"

#include <windows.h>

#include "tests/stress/corruption/watch.h"

namespace stress {
namespace {

size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

}  // namespace

Arena::Arena(size_t capacity)
    : capacity_(capacity),
      after_(capacity + kCanaryBytes, Guard::After),
      before_(capacity + kCanaryBytes, Guard::Before) {
    if (!ok()) return;
    const size_t page = PageSize();
    AddGuardRange(after_.data() + after_.size(), page);
    AddGuardRange(before_.data() - page, page);
}

uint8_t *Arena::Window(size_t size, Guard guard) {
    if (size > capacity_) return nullptr;
    uint8_t *window;
    if (guard == Guard::After) {
        window = after_.data() + after_.size() - size;
        canary_ = window - kCanaryBytes;
    } else {
        window = before_.data();
        canary_ = window + size;
    }
    // A different pattern each time, so a stale copy of the last one is no
    // pass either.
    ++pattern_;
    for (size_t i = 0; i < kCanaryBytes; ++i) canary_[i] = static_cast<uint8_t>(pattern_ * 31 + i * 7 + 0xA5);
    return window;
}

bool Arena::CanariesIntact() const {
    if (!canary_) return true;
    for (size_t i = 0; i < kCanaryBytes; ++i)
        if (canary_[i] != static_cast<uint8_t>(pattern_ * 31 + i * 7 + 0xA5)) return false;
    return true;
}

}  // namespace stress
