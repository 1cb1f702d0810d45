// The corruption run: a fixed, printed seed drives a stream of corrupted
// inputs (private records, registry values, escape records, profiles) into
// both plug-ins, with every buffer against an inaccessible page. Any fault,
// hang, write outside a buffer, unterminated string, out-of-range value or
// growth of the process's objects fails the run.
//
//   corruption.exe                 the short run (20,000 inputs)
//   corruption.exe --full          the long run (1,000,000 inputs)
//   --inputs N   --seed S   --start K   --only K
//   STRESS_SEED=S in the environment replays another seed.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/host/process_usage.h"
#include "tests/host/ui_host.h"
#include "tests/stress/corruption/devmode_path.h"
#include "tests/stress/corruption/environment.h"
#include "tests/stress/corruption/escape_path.h"
#include "tests/stress/corruption/events_path.h"
#include "tests/stress/corruption/heap_usage.h"
#include "tests/stress/corruption/profile_path.h"
#include "tests/stress/corruption/store_paths.h"
#include "tests/stress/corruption/watch.h"

using namespace stress;

namespace {

constexpr uint64_t kDefaultSeed = 0xC0DE5EED;
constexpr uint64_t kShortInputs = 20000;
constexpr uint64_t kFullInputs = 1000000;
constexpr DWORD kStallSeconds = 60;
constexpr uint64_t kNoInput = ~0ull;

struct Options {
    uint64_t seed = kDefaultSeed;
    uint64_t inputs = kShortInputs;
    uint64_t start = 0;
    uint64_t only = kNoInput;
    std::string path;  // only the paths whose name holds this
};

bool ParseNumber(const char *text, uint64_t *value) {
    char *end = nullptr;
    *value = strtoull(text, &end, 0);
    return end && end != text && *end == '\0';
}

void Usage() {
    printf(
        "corruption [--full] [--inputs N] [--seed S] [--start K | --only K] [--path TEXT]\n"
        "  no option: the short run of %llu inputs; --full: %llu inputs\n"
        "  STRESS_SEED=S replays another seed (--seed wins over it)\n"
        "  --start K runs from input K on, --only K runs input K alone\n"
        "  --path TEXT runs only the paths whose name holds TEXT (another mix: indices differ)\n",
        static_cast<unsigned long long>(kShortInputs), static_cast<unsigned long long>(kFullInputs));
}

bool ParseOptions(int argc, char **argv, Options *o) {
    char env[64]{};
    DWORD n = GetEnvironmentVariableA("STRESS_SEED", env, sizeof(env));
    if (n > 0 && n < sizeof(env) && !ParseNumber(env, &o->seed)) {
        fprintf(stderr, "STRESS_SEED is no number: %s\n", env);
        return false;
    }
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        uint64_t *target = nullptr;
        if (a == "--full") {
            o->inputs = kFullInputs;
            continue;
        }
        if (a == "--help" || a == "-h") {
            Usage();
            exit(0);
        }
        if (a == "--path" && i + 1 < argc) {
            o->path = argv[++i];
            continue;
        }
        if (a == "--inputs")
            target = &o->inputs;
        else if (a == "--seed")
            target = &o->seed;
        else if (a == "--start")
            target = &o->start;
        else if (a == "--only")
            target = &o->only;
        if (!target || i + 1 >= argc || !ParseNumber(argv[i + 1], target)) {
            fprintf(stderr, "bad argument: %s\n", a.c_str());
            Usage();
            return false;
        }
        ++i;
    }
    return true;
}

struct Figures {
    DWORD gdi = 0;
    long handles = 0;
    size_t heap = 0;
};

Figures Measure() {
    Figures f;
    f.gdi = testbed::GdiObjectCount();
    f.handles = testbed::CountOpenHandles();
    f.heap = AllHeapsBytes();
    return f;
}

struct WeightedPath {
    std::unique_ptr<Path> path;
    unsigned weight;  // per thousand inputs
};

long WineGdiObjects(const std::vector<WeightedPath> &paths) {
    long kept = 0;
    for (const WeightedPath &p : paths) kept += p.path->WineGdiObjects();
    return kept;
}

}  // namespace

int main(int argc, char **argv) {
    setvbuf(stdout, nullptr, _IONBF, 0);
    Options o;
    if (!ParseOptions(argc, argv, &o)) return 2;
    printf("corruption run: seed 0x%llx (replay with STRESS_SEED=0x%llx), %llu inputs\n",
           static_cast<unsigned long long>(o.seed), static_cast<unsigned long long>(o.seed),
           static_cast<unsigned long long>(o.inputs));
    StartWatch(kStallSeconds);

    Environment env;
    std::string error;
    if (!env.Start(&error)) {
        fprintf(stderr, "set-up failed: %s\n", error.c_str());
        return 2;
    }
    // Shares per thousand inputs. Print jobs cost milliseconds each, so they
    // are the smallest share; still at least 20,000 of a full run.
    std::vector<WeightedPath> paths;
    paths.push_back({MakeDevModePath(env, Plugin::Ui), 300});
    paths.push_back({MakeDevModePath(env, Plugin::Render), 300});
    paths.push_back({MakeEscapePath(env), 150});
    paths.push_back({MakeWatermarkStorePath(env), 60});
    paths.push_back({MakeLastUserNamePath(env), 40});
    paths.push_back({MakeFaxInfoPath(env), 40});
    paths.push_back({MakeProfilePath(env), 85});
    paths.push_back({MakeEventsPath(env), 25});
    unsigned total = 0;
    for (WeightedPath &p : paths) {
        if (!o.path.empty() && std::string(p.path->name()).find(o.path) == std::string::npos) p.weight = 0;
        BeginInput(o.seed, 0, p.path->name(), "set-up");
        if (!p.path->Start(&error)) {
            fprintf(stderr, "set-up of %s failed: %s\n", p.path->name(), error.c_str());
            return 2;
        }
        total += p.weight;
    }
    if (total == 0) {
        fprintf(stderr, "no path's name holds \"%s\"\n", o.path.c_str());
        return 2;
    }

    uint64_t first = o.start, last = o.inputs;
    if (o.only != kNoInput) {
        first = o.only;
        last = o.only + 1;
    }
    // The process settles (caches, first allocations of each path) in the
    // first inputs; growth is measured from there.
    const uint64_t warmUp = first + (last - first) / 20;
    Figures before = Measure(), after{};
    long wineBefore = WineGdiObjects(paths);
    uint64_t failures = 0;
    const ULONGLONG t0 = GetTickCount64();
    LARGE_INTEGER frequency, a, b;
    QueryPerformanceFrequency(&frequency);

    for (uint64_t index = first; index < last; ++index) {
        if (index == warmUp) {
            before = Measure();
            wineBefore = WineGdiObjects(paths);
        }
        Rng rng = InputRng(o.seed, index);
        unsigned pick = static_cast<unsigned>(rng.Below(total));
        WeightedPath *chosen = &paths.front();
        for (WeightedPath &p : paths) {
            if (pick < p.weight) {
                chosen = &p;
                break;
            }
            pick -= p.weight;
        }
        Path &path = *chosen->path;
        const Guard guard = index % 2 ? Guard::Before : Guard::After;
        BeginInput(o.seed, index, path.name(), "");
        ClearGuardTouched();
        QueryPerformanceCounter(&a);
        std::string failure = path.Run(rng, guard);
        QueryPerformanceCounter(&b);
        if (GuardTouched() && failure.empty()) failure = "a guard page was touched";
        path.seconds += static_cast<double>(b.QuadPart - a.QuadPart) / frequency.QuadPart;
        ++path.inputs;
        if (!failure.empty()) {
            ++path.failures;
            if (++failures <= 50) {
                printf("FAILURE: %s\n", failure.c_str());
                PrintCurrentInput(stdout);
            }
        }
        EndInput();
        if ((index + 1) % 100000 == 0) {
            const Figures now = Measure();
            printf("  %llu inputs, %lu GDI objects, %ld handles, %zu heap bytes\n",
                   static_cast<unsigned long long>(index + 1), static_cast<unsigned long>(now.gdi), now.handles,
                   now.heap);
        }
    }
    after = Measure();
    const long wineKept = WineGdiObjects(paths) - wineBefore;
    const double seconds = (GetTickCount64() - t0) / 1000.0;
    const uint64_t count = last - first;

    printf("\n%-22s %10s %9s %10s %12s\n", "path", "inputs", "failures", "seconds", "inputs/s");
    for (WeightedPath &p : paths) {
        const Path &x = *p.path;
        printf("%-22s %10llu %9llu %10.2f %12.0f\n", x.name(), static_cast<unsigned long long>(x.inputs),
               static_cast<unsigned long long>(x.failures), x.seconds, x.seconds > 0 ? x.inputs / x.seconds : 0.0);
    }
    for (WeightedPath &p : paths)
        if (!p.path->Note().empty()) printf("  %s: %s\n", p.path->name(), p.path->Note().c_str());
    printf("%-22s %10llu %9llu %10.2f %12.0f\n", "all", static_cast<unsigned long long>(count),
           static_cast<unsigned long long>(failures), seconds, seconds > 0 ? count / seconds : 0.0);

    printf("\nprocess        %12s %12s\n", "after warm-up", "at the end");
    printf("GDI objects    %12lu %12lu", static_cast<unsigned long>(before.gdi),
           static_cast<unsigned long>(after.gdi));
    if (wineKept > 0)
        printf("   (%ld of them kept by Wine for underlined or struck-out text)", wineKept);
    printf("\n");
    printf("handles        %12ld %12ld\n", before.handles, after.handles);
    printf("heap bytes     %12zu %12zu   (all heaps)\n", before.heap, after.heap);
    // A single input can neither settle nor leak measurably.
    if (count >= 1000) {
        constexpr long kObjectTolerance = 16;
        constexpr size_t kHeapTolerance = 1 << 20;
        const long gdiGrowth = static_cast<long>(after.gdi) - static_cast<long>(before.gdi) - wineKept;
        if (gdiGrowth > kObjectTolerance) {
            printf("FAILURE: GDI objects grew by %ld\n", gdiGrowth);
            ++failures;
        }
        if (after.handles - before.handles > kObjectTolerance) {
            printf("FAILURE: handles grew by %ld\n", after.handles - before.handles);
            ++failures;
        }
        if (after.heap > before.heap + kHeapTolerance) {
            printf("FAILURE: heap grew by %zu bytes\n", after.heap - before.heap);
            ++failures;
        }
    }
    printf("\n%s: seed 0x%llx, %llu inputs, %llu failures\n", failures ? "FAILED" : "passed",
           static_cast<unsigned long long>(o.seed), static_cast<unsigned long long>(count),
           static_cast<unsigned long long>(failures));
    fflush(stdout);
    BeginInput(o.seed, last, "teardown", "");
    return failures ? 1 : 0;
}
