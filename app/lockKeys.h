#pragma once
// The lock keys, read where the platform lets a program read them (X11, through XKB).

#include <optional>

struct LockKeyState {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

// Nothing where the state cannot be read (other platforms, no display).
std::optional<LockKeyState> readLockKeys();
