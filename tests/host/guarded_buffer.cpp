#include "tests/host/guarded_buffer.h"

namespace testbed {
namespace {

size_t PageSize() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
}

}  // namespace

GuardedBuffer::GuardedBuffer(size_t size, Guard guard) : size_(size), guard_(guard) {
    const size_t page = PageSize();
    const size_t dataPages = (size + page - 1) / page;
    const size_t total = (dataPages + 1) * page;
    base_ = static_cast<uint8_t *>(VirtualAlloc(nullptr, total, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base_) return;
    DWORD old = 0;
    uint8_t *guardPage = guard == Guard::After ? base_ + dataPages * page : base_;
    if (!VirtualProtect(guardPage, page, PAGE_NOACCESS, &old)) {
        VirtualFree(base_, 0, MEM_RELEASE);
        base_ = nullptr;
        return;
    }
    data_ = guard == Guard::After ? guardPage - size : base_ + page;
}

GuardedBuffer::~GuardedBuffer() {
    if (base_) VirtualFree(base_, 0, MEM_RELEASE);
}

bool IsNoAccess(const void *p) {
    MEMORY_BASIC_INFORMATION info{};
    if (!VirtualQuery(p, &info, sizeof(info))) return false;
    return info.State == MEM_COMMIT && (info.Protect & 0xff) == PAGE_NOACCESS;
}

}  // namespace testbed
