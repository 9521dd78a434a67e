#pragma once
// Survival of a mapped file that changes under us.
//
// Nothing on Linux stops another process from truncating a file we have mapped; touching a page
// past the new end raises SIGBUS. The guard keeps a table of watched mappings and installs one
// SIGBUS handler for the process, on the first watch. When a fault the kernel raised lies in a
// watched mapping, the handler maps anonymous zero pages (MAP_FIXED, read-only) over the mapping
// from the faulting page to its end and marks the mapping tripped; the faulting read is then
// retried and reads zeros. Anything else (a fault elsewhere, a SIGBUS sent by a process) goes to
// the handler that was installed before ours, or gets the default action, as without the guard.
//
// Signal safety: the handler touches only lock-free atomics and makes raw system calls (mmap
// through syscall(), so that no interposed mmap runs in signal context); it keeps errno. Each slot
// is a sequence lock, so the handler never pairs the base of one mapping with the length of another
// while engines come and go in other threads.
//
// Limits: the guard works while its handler is the one installed. Sanitizer runtimes install theirs
// at start-up, before ours, and are chained to, unless told to keep SIGBUS to themselves (ASan's
// handle_sigbus=2 or allow_user_segv_handler=0 drop our sigaction); a program that installs a
// SIGBUS handler after the first engine opened a file must chain to the handler it replaces.
// Without a free slot (more than 256 mappings open at once) a mapping works unguarded.

#include <cstddef>

namespace sigbusGuard {

// Starts watching [base, base + length); returns a slot, or -1 when every slot is taken.
int watch(const void* base, size_t length);

// Stops watching; call before unmapping.
void unwatch(int slot);

// True once a fault in the slot's mapping was answered with zero pages.
bool tripped(int slot);

}  // namespace sigbusGuard
