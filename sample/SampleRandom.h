#pragma once
// The generator's own random sequence (splitmix64): the same seed gives the same database
// on every platform and library, which the standard distributions do not promise.

#include <QStringList>
#include <cstdint>

class TSampleRandom {
public:
    explicit TSampleRandom(std::uint64_t seed) : State(seed) {}

    std::uint64_t Next() {
        std::uint64_t z = (State += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. n-1; n must be above 0.
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    // low .. high, both included.
    int Between(int low, int high) { return low + Below(high - low + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    const QString& Pick(const QStringList& list) { return list[Below(static_cast<int>(list.size()))]; }

private:
    std::uint64_t State;
};
