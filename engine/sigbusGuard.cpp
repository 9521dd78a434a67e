#include "engine/sigbusGuard.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <mutex>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace sigbusGuard {
namespace {

// A watched mapping; a length of 0 watches nothing. `used` makes the owner the slot's only writer;
// `sequence` is odd while the range is rewritten (a sequence lock the handler reads without waiting).
struct Slot {
    std::atomic<bool> used{false};
    std::atomic<uint32_t> sequence{0};
    std::atomic<uintptr_t> base{0};
    std::atomic<size_t> length{0};
    std::atomic<bool> tripped{false};
};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<uint32_t>::is_always_lock_free &&
                  std::atomic<uintptr_t>::is_always_lock_free && std::atomic<size_t>::is_always_lock_free,
              "the signal handler may touch lock-free atomics only");

constexpr int slotCount = 256;
Slot slots[slotCount];
// Both are written before the handler is installed and only read afterwards.
uintptr_t pageSize = 4096;
struct sigaction previousAction;
std::once_flag installed;

void setRange(Slot& slot, uintptr_t base, size_t length)
{
    const uint32_t sequence = slot.sequence.load(std::memory_order_relaxed);
    slot.sequence.store(sequence + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    slot.base.store(base, std::memory_order_relaxed);
    slot.length.store(length, std::memory_order_relaxed);
    slot.sequence.store(sequence + 2, std::memory_order_release);
}

// The slot whose range, read consistently, holds the address.
Slot* slotHolding(uintptr_t address, uintptr_t& base, size_t& length)
{
    for (Slot& slot : slots) {
        const uint32_t before = slot.sequence.load(std::memory_order_acquire);
        if (before & 1)
            continue;  // being set or cleared: its mapping is not in use
        base = slot.base.load(std::memory_order_relaxed);
        length = slot.length.load(std::memory_order_relaxed);
        std::atomic_thread_fence(std::memory_order_acquire);
        if (slot.sequence.load(std::memory_order_relaxed) != before)
            continue;
        if (address >= base && address - base < length)
            return &slot;
    }
    return nullptr;
}

bool answerWithZeros(const siginfo_t* info)
{
    // A SIGBUS sent by a process (si_code <= 0) carries a sender, not a fault address.
    if (info->si_code <= 0)
        return false;
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    uintptr_t base = 0;
    size_t length = 0;
    Slot* slot = slotHolding(address, base, length);
    if (!slot)
        return false;
    const uintptr_t first = address & ~(pageSize - 1);
    const uintptr_t end = (base + length + pageSize - 1) & ~(pageSize - 1);
    if (syscall(SYS_mmap, first, end - first, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) == -1)
        return false;
    slot->tripped.store(true, std::memory_order_release);
    return true;
}

void passOn(int signal, siginfo_t* info, void* context)
{
    const struct sigaction& previous = previousAction;
    if (previous.sa_handler == SIG_IGN && info->si_code <= 0)
        return;  // a sent SIGBUS stays ignored
    if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        if (previous.sa_flags & SA_SIGINFO)
            previous.sa_sigaction(signal, info, context);
        else
            previous.sa_handler(signal);
        return;
    }
    // The default action. A fault cannot be ignored: retried, it would fault forever. Once the
    // handler returns, a fault recurs and ends the process as it would have without the guard; a
    // sent signal is raised again and delivered then.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigemptyset(&byDefault.sa_mask);
    sigaction(signal, &byDefault, nullptr);
    if (info->si_code <= 0)
        raise(signal);
}

void onSigbus(int signal, siginfo_t* info, void* context)
{
    const int savedErrno = errno;
    if (!answerWithZeros(info))
        passOn(signal, info, context);
    errno = savedErrno;
}

void install()
{
    pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    // The handler we replace is read first, so that it is in place for any fault once ours is.
    sigaction(SIGBUS, nullptr, &previousAction);
    struct sigaction action {};
    action.sa_sigaction = onSigbus;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

}  // namespace

int watch(const void* base, size_t length)
{
    std::call_once(installed, install);
    for (int i = 0; i < slotCount; ++i) {
        Slot& slot = slots[i];
        bool expected = false;
        if (slot.used.load(std::memory_order_relaxed) ||
            !slot.used.compare_exchange_strong(expected, true, std::memory_order_acquire))
            continue;
        slot.tripped.store(false, std::memory_order_relaxed);
        setRange(slot, reinterpret_cast<uintptr_t>(base), length);
        return i;
    }
    return -1;
}

void unwatch(int slot)
{
    if (slot < 0 || slot >= slotCount)
        return;
    setRange(slots[slot], 0, 0);
    slots[slot].used.store(false, std::memory_order_release);
}

bool tripped(int slot)
{
    return slot >= 0 && slot < slotCount && slots[slot].tripped.load(std::memory_order_acquire);
}

}  // namespace sigbusGuard
