// One way corrupted input reaches the product. A path builds one input from
// the generator it is given, hands it over with every buffer against an
// inaccessible page, and checks what came back.
#pragma once

#include <cstdint>
#include <string>

#include "tests/stress/corruption/arena.h"
#include "tests/stress/corruption/rng.h"

namespace stress {

class Path {
public:
    explicit Path(const char *name) : name_(name) {}
    virtual ~Path() = default;
    Path(const Path &) = delete;
    Path &operator=(const Path &) = delete;

    const char *name() const { return name_; }
    // Loads and sets up what the path needs; false with the reason.
    virtual bool Start(std::string *error) = 0;
    // One input. `guard` is the side the input's buffers are guarded on (the
    // other side carries canaries). Returns what went wrong, or nothing.
    virtual std::string Run(Rng &rng, Guard guard) = 0;
    // A line on what the inputs made the product do, for the summary.
    virtual std::string Note() const { return {}; }
    // GDI objects Wine, not the product, has kept for this path's inputs so
    // far; the growth check leaves them out.
    virtual long WineGdiObjects() const { return 0; }

    uint64_t inputs = 0;
    uint64_t failures = 0;
    double seconds = 0.0;

private:
    const char *name_;
};

// The other side.
inline Guard Opposite(Guard g) { return g == Guard::After ? Guard::Before : Guard::After; }

}  // namespace stress
