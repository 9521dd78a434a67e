// The SIGBUS guard answers faults in watched mappings only: any other SIGBUS reaches the handler
// installed before the guard, or ends the process as it would without the guard. Each case runs in
// a fresh child process, where the guard is installed over the handler the case sets up.

#include "engine/sigbusGuard.h"
#include "support/scratchFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/mman.h>

namespace {

void installGuard()
{
    static const char anything = 0;
    sigbusGuard::unwatch(sigbusGuard::watch(&anything, 1));
}

// Maps a scratch file without watching it, truncates it and reads past the cut. The file is gone
// from the directory before the fault, as the process does not come back to remove it.
void faultOutsideWatchedMappings()
{
    constexpr size_t size = 3 * 65536;
    int fd = -1;
    {
        ScratchFile file(std::vector<uint8_t>(size, 0x5A));
        fd = ::open(file.path().c_str(), O_RDWR);
    }
    const auto* bytes = static_cast<const volatile uint8_t*>(::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0));
    if (bytes == MAP_FAILED || ::ftruncate(fd, 10) != 0)
        _exit(3);
    (void)bytes[2 * 65536];
}

void setAction(void (*handler)(int))
{
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

void exitWith42(int) { _exit(42); }

class SigbusGuard : public ::testing::Test {
protected:
    // A re-executed child starts without the guard, so that each case installs it afresh.
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

}  // namespace

TEST_F(SigbusGuard, FaultOutsideWatchedMappingsReachesThePreviousHandler)
{
    EXPECT_EXIT(
        {
            setAction(exitWith42);
            installGuard();
            faultOutsideWatchedMappings();
        },
        ::testing::ExitedWithCode(42), "");
}

TEST_F(SigbusGuard, FaultOutsideWatchedMappingsWithoutAPreviousHandlerEndsTheProcess)
{
    EXPECT_EXIT(
        {
            setAction(SIG_DFL);
            installGuard();
            faultOutsideWatchedMappings();
        },
        ::testing::KilledBySignal(SIGBUS), "");
}

TEST_F(SigbusGuard, SentSigbusIsNeitherSwallowedNorTakenForAFault)
{
    EXPECT_EXIT(
        {
            setAction(SIG_DFL);
            installGuard();
            std::raise(SIGBUS);
            _exit(0);
        },
        ::testing::KilledBySignal(SIGBUS), "");
    EXPECT_EXIT(
        {
            setAction(exitWith42);
            installGuard();
            std::raise(SIGBUS);
            _exit(0);
        },
        ::testing::ExitedWithCode(42), "");
}
