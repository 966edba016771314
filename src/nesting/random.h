// Inside the nesting folder only: the searches' random numbers.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zorvan::nesting {

// SplitMix64: small, fast, and the same numbers on every platform (unlike the standard distributions).
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // A number from 0 to n - 1 (n > 0).
    size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
    // A number from 0 up to (not including) 1.
    double Unit() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

private:
    uint64_t state_;
};

}  // namespace zorvan::nesting
