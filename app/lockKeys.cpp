#include "app/lockKeys.h"

#if TARVIK3_HAVE_XKB

#include <QGuiApplication>
#include <qguiapplication_platform.h>

// Xlib defines macros that clash with Qt's names: it comes after every Qt header.
#include <X11/XKBlib.h>

std::optional<LockKeyState> readLockKeys()
{
    const auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    const auto lit = [display](const char* name) {
        const Atom indicator = XInternAtom(display, name, True);
        Bool on = False;
        return indicator != None && XkbGetNamedIndicator(display, indicator, nullptr, &on, nullptr, nullptr) && on;
    };
    return LockKeyState{lit("Caps Lock"), lit("Num Lock"), lit("Scroll Lock")};
}

#else

std::optional<LockKeyState> readLockKeys() { return std::nullopt; }

#endif
