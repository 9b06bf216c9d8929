// The game's one random source: uniform in [0, 1), never 1.0.
#pragma once

#include <cstdint>
#include <random>

namespace skyquill {

class RandomSource {
public:
    void seed(float timeOfDay);
    // 53 random bits scaled by 2^-53: the largest value is 1 - 2^-53.
    double next() { return static_cast<double>(engine_() >> 11U) * 0x1.0p-53; }

private:
    std::mt19937_64 engine_{0};
};

}  // namespace skyquill
