#include "tests/stress/corruption/watch.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

namespace stress {
namespace {

struct Range {
    uintptr_t begin, end;
};

std::vector<Range> guardRanges;
std::mutex guardLock;  // ranges are added on the main thread, read in the handler

struct Current {
    std::atomic<uint64_t> seed{0};
    std::atomic<uint64_t> index{0};
    std::atomic<const char *> path{"start-up"};
    std::atomic<const char *> kind{""};
    std::atomic<uint64_t> progress{0};
    std::atomic<bool> guardTouched{false};
} current;

DWORD stallLimit = 60;

void Report(FILE *to, const char *what) {
    fprintf(to, "FAILURE: %s\n", what);
    PrintCurrentInput(to);
    fflush(to);
}

bool InGuard(uintptr_t address) {
    for (const Range &r : guardRanges)
        if (address >= r.begin && address < r.end) return true;
    return false;
}

LONG CALLBACK OnException(EXCEPTION_POINTERS *info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (code == EXCEPTION_ACCESS_VIOLATION && info->ExceptionRecord->NumberParameters >= 2) {
        const uintptr_t address = info->ExceptionRecord->ExceptionInformation[1];
        if (InGuard(address)) {
            current.guardTouched = true;
            fprintf(stderr, "FAILURE: %s of guard page at %p (code at %p)\n",
                    info->ExceptionRecord->ExceptionInformation[0] ? "write" : "read",
                    reinterpret_cast<void *>(address), info->ExceptionRecord->ExceptionAddress);
            PrintCurrentInput(stderr);
            fflush(stderr);
        }
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI OnUnhandled(EXCEPTION_POINTERS *info) {
    char text[128];
    snprintf(text, sizeof(text), "unhandled exception 0x%08lx at %p",
             static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode), info->ExceptionRecord->ExceptionAddress);
    Report(stderr, text);
    TerminateProcess(GetCurrentProcess(), 3);
    return EXCEPTION_EXECUTE_HANDLER;
}

DWORD WINAPI Watchdog(void *) {
    uint64_t seen = current.progress;
    DWORD still = 0;
    for (;;) {
        Sleep(1000);
        const uint64_t now = current.progress;
        if (now != seen) {
            seen = now;
            still = 0;
            continue;
        }
        if (++still >= stallLimit) {
            char text[96];
            snprintf(text, sizeof(text), "no progress for %lu s (hang)", static_cast<unsigned long>(still));
            Report(stderr, text);
            TerminateProcess(GetCurrentProcess(), 4);
        }
    }
}

}  // namespace

void AddGuardRange(const void *begin, size_t size) {
    std::lock_guard<std::mutex> lock(guardLock);
    const uintptr_t b = reinterpret_cast<uintptr_t>(begin);
    guardRanges.push_back({b, b + size});
}

void BeginInput(uint64_t seed, uint64_t index, const char *path, const char *kind) {
    current.seed = seed;
    current.index = index;
    current.path = path;
    current.kind = kind;
    ++current.progress;
}

void EndInput() { ++current.progress; }

void SetKind(const char *kind) { current.kind = kind; }

bool GuardTouched() { return current.guardTouched; }
void ClearGuardTouched() { current.guardTouched = false; }

void PrintCurrentInput(FILE *to) {
    const unsigned long long seed = current.seed, index = current.index;
    fprintf(to, "  seed 0x%llx, input %llu, path %s, kind %s\n", seed, index, current.path.load(), current.kind.load());
    fprintf(to, "  replay: STRESS_SEED=0x%llx corruption.exe --only %llu\n", seed, index);
}

void StartWatch(DWORD stallSeconds) {
    stallLimit = stallSeconds;
    AddVectoredExceptionHandler(1, OnException);
    SetUnhandledExceptionFilter(OnUnhandled);
    HANDLE thread = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
    if (thread) CloseHandle(thread);
}

}  // namespace stress
