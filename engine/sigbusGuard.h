#pragma once
// Survival of a mapped file that changes under us.
//
// Nothing on Linux stops another process from truncating a file we have mapped; touching a page
// past the new end raises SIGBUS. The guard keeps a table of watched mappings and installs one
// SIGBUS handler for the process. When the faulting address lies in a watched mapping, the handler
// maps anonymous zero pages (MAP_FIXED, read-only) over the mapping from the faulting page to its
// end and marks the mapping tripped; the faulting read is then retried and reads zeros. A fault
// anywhere else is passed to the handler that was installed before, or to the default action.
// mmap is a plain system call and is used from the handler on purpose; the table is lock-free.

#include <cstddef>

namespace sigbusGuard {

// Starts watching [base, base + length); returns a slot, or -1 when every slot is taken (the
// mapping then works unguarded).
int watch(const void* base, size_t length);

// Stops watching; call before unmapping.
void unwatch(int slot);

// True once a fault in the slot's mapping was answered with zero pages.
bool tripped(int slot);

}  // namespace sigbusGuard
