// A seeded source of random cases and the run's size, both taken from the
// environment so that a failure can be replayed and a longer run made by hand:
//   VELMO_FUZZ_SEED   the seed (default fixed, so CI runs the same cases)
//   VELMO_FUZZ_SCALE  a multiplier of every count (default 1)
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace velmo_fuzz {

class FuzzRun
{
public:
    // Prints the seed and scale under `name`, so the log tells how to replay.
    explicit FuzzRun(const char* name);

    std::uint64_t Seed() const { return m_seed; }
    unsigned Scale() const { return m_scale; }

    std::uint32_t Word() { return static_cast<std::uint32_t>(m_engine()); }
    std::uint64_t Wide() { return m_engine(); }
    // Uniform in [low, high].
    std::uint64_t Between(std::uint64_t low, std::uint64_t high);
    bool Chance(unsigned percent) { return Between(1, 100) <= percent; }
    template <typename T, std::size_t N>
    T Pick(const T (&choices)[N])
    {
        return choices[Between(0, N - 1)];
    }
    std::vector<std::uint8_t> Bytes(std::size_t count);

    // One line with the counts of the finished run.
    void Report(const std::string& counts) const;

private:
    std::string m_name;
    std::uint64_t m_seed;
    unsigned m_scale;
    std::mt19937_64 m_engine;
};

// Reports the first few mismatches as test failures, with the seed and the
// case number, and counts them all: a broken oracle must not flood the log.
class Mismatches
{
public:
    explicit Mismatches(const FuzzRun& run) : m_run(run) {}
    void Add(std::size_t caseNumber, const std::string& what);
    std::size_t Count() const { return m_count; }

private:
    const FuzzRun& m_run;
    std::size_t m_count = 0;
};

} // namespace velmo_fuzz
