#pragma once
// Rnd and Randomize: a uniform generator over [0, 1), reseeded on request.

#include <cstdint>
#include <random>

#include "runtime/base/VbTypes.h"

namespace vb {

class RandomSource {
public:
    explicit RandomSource(std::uint32_t seed = 1) : mEngine(seed) {}
    void Seed(std::uint32_t seed) { mEngine.seed(seed); }
    // Uniform in [0, 1), with the 24 bits a Single holds.
    Single Next() { return Single(mEngine() >> 8) * (1.0f / 16777216.0f); }

private:
    std::mt19937 mEngine;
};

}  // namespace vb
