#include "engine/sigbusGuard.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace sigbusGuard {
namespace {

struct Slot {
    std::atomic<bool> used{false};
    std::atomic<uintptr_t> base{0};
    std::atomic<size_t> length{0};
    std::atomic<bool> tripped{false};
};

constexpr int slotCount = 256;
Slot slots[slotCount];
uintptr_t pageSize = 4096;
struct sigaction previousAction;
std::once_flag installed;

void onSigbus(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (Slot& slot : slots) {
        if (!slot.used.load(std::memory_order_acquire))
            continue;
        const uintptr_t base = slot.base.load(std::memory_order_relaxed);
        const size_t length = slot.length.load(std::memory_order_relaxed);
        if (address < base || address - base >= length)
            continue;
        const uintptr_t first = address & ~(pageSize - 1);
        const uintptr_t end = (base + length + pageSize - 1) & ~(pageSize - 1);
        void* zeros = mmap(reinterpret_cast<void*>(first), end - first, PROT_READ,
                           MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
        if (zeros != MAP_FAILED) {
            slot.tripped.store(true, std::memory_order_release);
            return;
        }
        break;
    }
    if (previousAction.sa_flags & SA_SIGINFO) {
        if (previousAction.sa_sigaction) {
            previousAction.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previousAction.sa_handler != SIG_DFL && previousAction.sa_handler != SIG_IGN) {
        previousAction.sa_handler(signal);
        return;
    }
    // Not ours: restore the default action; returning re-runs the faulting access, which then ends
    // the process as it would have without the guard.
    ::signal(signal, SIG_DFL);
}

void install()
{
    pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = onSigbus;
    action.sa_flags = SA_SIGINFO | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, &previousAction);
}

}  // namespace

int watch(const void* base, size_t length)
{
    std::call_once(installed, install);
    for (int i = 0; i < slotCount; ++i) {
        bool expected = false;
        Slot& slot = slots[i];
        if (slot.used.load(std::memory_order_relaxed) ||
            !slot.used.compare_exchange_strong(expected, true, std::memory_order_acq_rel))
            continue;
        // unwatch left the length at 0, so the handler matches nothing here until the range is set.
        slot.tripped.store(false, std::memory_order_relaxed);
        slot.base.store(reinterpret_cast<uintptr_t>(base), std::memory_order_relaxed);
        slot.length.store(length, std::memory_order_release);
        return i;
    }
    return -1;
}

void unwatch(int slot)
{
    if (slot < 0 || slot >= slotCount)
        return;
    slots[slot].length.store(0, std::memory_order_relaxed);
    slots[slot].used.store(false, std::memory_order_release);
}

bool tripped(int slot)
{
    return slot >= 0 && slot < slotCount && slots[slot].tripped.load(std::memory_order_acquire);
}

}  // namespace sigbusGuard
