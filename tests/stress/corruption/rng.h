// A small, fast generator whose whole state is one 64-bit number, so that an
// input can be rebuilt from the run's seed and its index alone.
#pragma once

#include <cstddef>
#include <cstdint>

namespace stress {

class Rng {
public:
    explicit Rng(uint64_t state) : state_(state) {}

    // SplitMix64.
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t U32() { return static_cast<uint32_t>(Next()); }
    // 0 .. n-1; n must not be 0.
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
    bool Chance(unsigned percent) { return Below(100) < percent; }
    template <typename T, size_t N>
    T Pick(const T (&values)[N]) {
        return values[Below(N)];
    }

private:
    uint64_t state_;
};

// The generator of input `index` of the run with `seed`: independent of
// every other input, so one input can be replayed on its own.
inline Rng InputRng(uint64_t seed, uint64_t index) {
    Rng mix(seed ^ (index * 0xD1B54A32D192ED03ull));
    mix.Next();
    return Rng(mix.Next());
}

}  // namespace stress
