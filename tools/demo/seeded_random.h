#pragma once

#include <cstdint>

namespace demo {

// A small generator (splitmix64) whose sequence is fixed by its seed on every platform and
// standard library, so that one seed always makes the same database.
class SeededRandom
{
public:
    explicit SeededRandom(std::uint64_t seed) : m_state(seed) { }

    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }

    // A whole number from low to high, both included.
    std::int64_t between(std::int64_t low, std::int64_t high)
    {
        return low + std::int64_t(next() % std::uint64_t(high - low + 1));
    }

private:
    std::uint64_t m_state;
};

} // namespace demo
