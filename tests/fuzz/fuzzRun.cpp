#include "fuzzRun.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace velmo_fuzz {

namespace {

constexpr std::uint64_t kDefaultSeed = 20261208;
constexpr std::size_t kMismatchesShown = 10;

std::uint64_t FromEnvironment(const char* name, std::uint64_t fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    return end && *end == '\0' ? value : fallback;
}

} // namespace

FuzzRun::FuzzRun(const char* name)
    : m_name(name), m_seed(FromEnvironment("VELMO_FUZZ_SEED", kDefaultSeed)),
      m_scale(static_cast<unsigned>(FromEnvironment("VELMO_FUZZ_SCALE", 1))), m_engine(m_seed)
{
    if (m_scale == 0)
        m_scale = 1;
    std::printf("[fuzz] %s: VELMO_FUZZ_SEED=%llu VELMO_FUZZ_SCALE=%u\n", m_name.c_str(),
                static_cast<unsigned long long>(m_seed), m_scale);
    std::fflush(stdout);
}

std::uint64_t FuzzRun::Between(std::uint64_t low, std::uint64_t high)
{
    return std::uniform_int_distribution<std::uint64_t>(low, high)(m_engine);
}

std::vector<std::uint8_t> FuzzRun::Bytes(std::size_t count)
{
    std::vector<std::uint8_t> bytes(count);
    for (std::uint8_t& byte : bytes)
        byte = static_cast<std::uint8_t>(m_engine());
    return bytes;
}

void FuzzRun::Report(const std::string& counts) const
{
    std::printf("[fuzz] %s: seed %llu, %s\n", m_name.c_str(),
                static_cast<unsigned long long>(m_seed), counts.c_str());
    std::fflush(stdout);
}

void Mismatches::Add(std::size_t caseNumber, const std::string& what)
{
    if (++m_count <= kMismatchesShown)
        ADD_FAILURE() << "seed " << m_run.Seed() << ", case " << caseNumber << ": " << what;
}

} // namespace velmo_fuzz
