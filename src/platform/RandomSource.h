#pragma once

#include <cstdint>
#include <random>

namespace vimbrel::platform {

// The program's one source of random numbers: single-precision values in
// [0, 1). Tests hand the program a fixed sequence instead.
class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A fresh uniform value, 0 <= r < 1.
    virtual float Rnd() = 0;
    // Reseeds from the clock, where the show wants a new sequence.
    virtual void Randomize() = 0;
};

class SystemRandomSource final : public RandomSource {
public:
    SystemRandomSource();
    float Rnd() override;
    void Randomize() override;

private:
    std::mt19937 m_engine;
};

} // namespace vimbrel::platform
