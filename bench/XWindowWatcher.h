#pragma once

#include <xcb/xcb.h>

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Watches a program's window from outside, through the X server alone: whether
// it is mapped, whether its picture has anything but black in it, and clicks
// into it as a user would (XTEST).
class XWindowWatcher {
public:
    XWindowWatcher() = default;
    ~XWindowWatcher();
    XWindowWatcher(const XWindowWatcher&) = delete;
    XWindowWatcher& operator=(const XWindowWatcher&) = delete;

    bool connect(const QString& display);
    // The viewable top-level window whose _NET_WM_PID is the process, if any.
    std::optional<xcb_window_t> viewableWindowOf(std::int64_t pid);
    // The game picture, the bottom `gameHeight` rows of the window (under the
    // menu bar), holds a pixel that is not black.
    bool showsNonBlack(xcb_window_t window, int gameHeight);
    // A left click at a point of the game picture, which sits at the bottom of
    // the window (under the menu bar) and fills its width.
    bool clickGamePoint(xcb_window_t window, int gameHeight, int x, int y);

private:
    struct Size {
        int width = 0;
        int height = 0;
    };
    std::optional<Size> sizeOf(xcb_window_t window);
    // The window's pixels as the server sends them: its bottom `fromBottom` rows, all when 0.
    std::vector<std::uint8_t> pixelsOf(xcb_window_t window, int fromBottom);
    std::optional<std::int64_t> pidOf(xcb_window_t window);
    bool viewable(xcb_window_t window);
    void fakeInput(std::uint8_t type, std::uint8_t detail, xcb_window_t root, int x, int y);

    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0;
};
