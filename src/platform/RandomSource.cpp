#include "platform/RandomSource.h"

#include <chrono>

namespace vimbrel::platform {

namespace {

std::mt19937::result_type SeedFromClock() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::mt19937::result_type>(ticks ^ (ticks >> 32));
}

} // namespace

SystemRandomSource::SystemRandomSource() : m_engine(SeedFromClock()) {}

float SystemRandomSource::Rnd() {
    // 24 random bits make every float of [0, 1) with a step of 2^-24 equally
    // likely and can never round up to 1.
    return static_cast<float>(m_engine() >> 8) * (1.0f / 16777216.0f);
}

void SystemRandomSource::Randomize() {
    m_engine.seed(SeedFromClock());
}

} // namespace vimbrel::platform
