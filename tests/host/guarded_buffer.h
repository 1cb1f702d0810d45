// Memory that faults the moment code steps outside it: the buffer sits right
// against a page that cannot be read or written, after its last byte or
// before its first. Used to prove that the plug-ins stay inside the buffers
// the driver and applications hand them.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace testbed {

class GuardedBuffer {
public:
    enum class Guard { After, Before };

    explicit GuardedBuffer(size_t size, Guard guard = Guard::After);
    ~GuardedBuffer();
    GuardedBuffer(const GuardedBuffer &) = delete;
    GuardedBuffer &operator=(const GuardedBuffer &) = delete;

    bool ok() const { return data_ != nullptr; }
    uint8_t *data() const { return data_; }
    size_t size() const { return size_; }
    template <typename T>
    T *as() const {
        return reinterpret_cast<T *>(data_);
    }
    // The first byte outside the buffer on the guarded side.
    const uint8_t *guardByte() const { return guard_ == Guard::After ? data_ + size_ : data_ - 1; }

private:
    uint8_t *base_ = nullptr;
    uint8_t *data_ = nullptr;
    size_t size_ = 0;
    Guard guard_;
};

// Whether the page holding `p` can be neither read nor written.
bool IsNoAccess(const void *p);

}  // namespace testbed
