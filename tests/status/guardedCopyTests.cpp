#include "status/guardedCopy.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <memory>
#include <thread>

namespace {

SIZE_T PageSize()
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    return info.dwPageSize;
}

// A run of pages of this process, released when it goes.
class Pages
{
public:
    Pages(SIZE_T count, DWORD allocationType, DWORD protection)
        : m_base(static_cast<unsigned char*>(
              VirtualAlloc(nullptr, count * PageSize(), allocationType, protection)))
    {
        EXPECT_NE(m_base, nullptr) << "VirtualAlloc, error " << GetLastError();
    }
    ~Pages()
    {
        if (m_base)
            VirtualFree(m_base, 0, MEM_RELEASE);
    }
    Pages(const Pages&) = delete;
    Pages& operator=(const Pages&) = delete;

    unsigned char* Page(SIZE_T index) const { return m_base + index * PageSize(); }

private:
    unsigned char* m_base;
};

TEST(GuardedCopy, CopiesExactlyTheGivenBytes)
{
    std::array<unsigned char, 512> source{};
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<unsigned char>(i * 7 + 3);
    std::array<unsigned char, 514> destination{};
    destination.fill(0xEE);

    ASSERT_TRUE(GuardedCopy(destination.data() + 1, source.data(), source.size()));
    EXPECT_EQ(std::memcmp(destination.data() + 1, source.data(), source.size()), 0);
    EXPECT_EQ(destination.front(), 0xEE);
    EXPECT_EQ(destination.back(), 0xEE);

    EXPECT_TRUE(GuardedCopy(destination.data(), nullptr, 0));
    EXPECT_EQ(destination.front(), 0xEE);
}

TEST(GuardedCopy, FailsOnPagesThatCannotBeRead)
{
    const Pages noAccess(1, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    const Pages reservedOnly(1, MEM_RESERVE, PAGE_NOACCESS);
    unsigned char destination[16] = {};

    EXPECT_FALSE(GuardedCopy(destination, noAccess.Page(0), sizeof destination));
    EXPECT_FALSE(GuardedCopy(destination, reservedOnly.Page(0), sizeof destination));
}

TEST(GuardedCopy, FailsWhenWritingFaults)
{
    const Pages readOnly(1, MEM_RESERVE | MEM_COMMIT, PAGE_READONLY);
    const unsigned char source[16] = {1, 2, 3};

    EXPECT_FALSE(GuardedCopy(readOnly.Page(0), source, sizeof source));
}

TEST(GuardedCopy, KeepsTheBytesBeforeAFaultInTheMiddle)
{
    const Pages pages(2, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    unsigned char* const lastBytes = pages.Page(1) - 8;
    std::memset(lastBytes, 0x5A, 8);
    DWORD previous = 0;
    ASSERT_TRUE(VirtualProtect(pages.Page(1), PageSize(), PAGE_NOACCESS, &previous));

    unsigned char destination[16] = {};
    EXPECT_FALSE(GuardedCopy(destination, lastBytes, sizeof destination));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(destination[i], 0x5A) << "byte " << i;
    for (int i = 8; i < 16; ++i)
        EXPECT_EQ(destination[i], 0) << "byte " << i;
}

TEST(GuardedCopy, RecoversFromEveryFaultOfALongRun)
{
    const Pages noAccess(1, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    const unsigned char good[4] = {9, 8, 7, 6};
    unsigned char destination[4] = {};

    int failures = 0;
    for (int i = 0; i < 1000; ++i)
        failures += GuardedCopy(destination, noAccess.Page(0), sizeof destination) ? 0 : 1;
    EXPECT_EQ(failures, 1000);
    EXPECT_TRUE(GuardedCopy(destination, good, sizeof good));
    EXPECT_EQ(std::memcmp(destination, good, sizeof good), 0);
}

TEST(GuardedCopy, GuardsEachThreadOnItsOwn)
{
    const Pages noAccess(1, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    bool faultedCopy = true;
    bool goodCopy = false;
    std::thread worker([&] {
        unsigned char destination[8] = {};
        const unsigned char source[8] = {1};
        faultedCopy = GuardedCopy(destination, noAccess.Page(0), sizeof destination);
        goodCopy = GuardedCopy(destination, source, sizeof destination) && destination[0] == 1;
    });
    worker.join();
    EXPECT_FALSE(faultedCopy);
    EXPECT_TRUE(goodCopy);
}

// Counts the exceptions raised with kOutsideACopy and resumes after them.
constexpr DWORD kOutsideACopy = 0xE0564C4D;
LONG seenOutside = 0;

LONG CALLBACK CountOutsideACopy(EXCEPTION_POINTERS* exception)
{
    if (exception->ExceptionRecord->ExceptionCode != kOutsideACopy)
        return EXCEPTION_CONTINUE_SEARCH;
    ++seenOutside;
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The handler stays out of the way of exceptions raised outside a copy, and
// of their last error. A structured exception rather than a C++ throw: the
// i686 toolchain unwinds throws with DWARF-2 tables, which never pass through
// a vectored handler, so only this reaches it on the shipped build.
TEST(GuardedCopy, LeavesOtherExceptionsToTheirHandlers)
{
    const Pages noAccess(1, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    unsigned char destination[4] = {};
    ASSERT_FALSE(GuardedCopy(destination, noAccess.Page(0), sizeof destination));

    const std::unique_ptr<void, decltype(&RemoveVectoredExceptionHandler)> later(
        AddVectoredExceptionHandler(0, &CountOutsideACopy), &RemoveVectoredExceptionHandler);
    ASSERT_NE(later, nullptr);
    seenOutside = 0;
    SetLastError(ERROR_INVALID_DATA);
    RaiseException(kOutsideACopy, 0, 0, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
    EXPECT_EQ(seenOutside, 1);
}

} // namespace
