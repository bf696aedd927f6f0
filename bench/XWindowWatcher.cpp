#include "XWindowWatcher.h"

#include <algorithm>

#include <xcb/xtest.h>

#include <cstdlib>
#include <memory>

namespace {

// xcb replies are malloc'd; this frees them.
struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

}  // namespace

XWindowWatcher::~XWindowWatcher() {
    if (connection_ != nullptr) {
        xcb_disconnect(connection_);
    }
}

bool XWindowWatcher::connect(const QString& display) {
    int screenNumber = 0;
    connection_ = xcb_connect(display.toLocal8Bit().constData(), &screenNumber);
    if (xcb_connection_has_error(connection_) != 0) {
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && screens.rem > 0; ++i) {
        xcb_screen_next(&screens);
    }
    root_ = screens.data->root;
    const char name[] = "_NET_WM_PID";
    const Reply<xcb_intern_atom_reply_t> atom(xcb_intern_atom_reply(
        connection_, xcb_intern_atom(connection_, 0, sizeof name - 1, name), nullptr));
    pidAtom_ = atom != nullptr ? atom->atom : 0;
    return pidAtom_ != 0;
}

std::optional<xcb_window_t> XWindowWatcher::viewableWindowOf(std::int64_t pid) {
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(connection_, xcb_query_tree(connection_, root_), nullptr));
    if (tree == nullptr) {
        return std::nullopt;
    }
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i) {
        if (pidOf(children[i]) == pid && viewable(children[i])) {
            return children[i];
        }
    }
    return std::nullopt;
}

std::optional<std::int64_t> XWindowWatcher::pidOf(xcb_window_t window) {
    const Reply<xcb_get_property_reply_t> property(xcb_get_property_reply(
        connection_, xcb_get_property(connection_, 0, window, pidAtom_, XCB_ATOM_CARDINAL, 0, 1),
        nullptr));
    if (property == nullptr || xcb_get_property_value_length(property.get()) != 4) {
        return std::nullopt;
    }
    return *static_cast<const std::uint32_t*>(xcb_get_property_value(property.get()));
}

bool XWindowWatcher::viewable(xcb_window_t window) {
    const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(
        connection_, xcb_get_window_attributes(connection_, window), nullptr));
    return attributes != nullptr && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
}

std::optional<XWindowWatcher::Size> XWindowWatcher::sizeOf(xcb_window_t window) {
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, window), nullptr));
    if (geometry == nullptr) {
        return std::nullopt;
    }
    return Size{geometry->width, geometry->height};
}

std::vector<std::uint8_t> XWindowWatcher::pixelsOf(xcb_window_t window, int fromBottom) {
    const std::optional<Size> size = sizeOf(window);
    if (!size) {
        return {};
    }
    const int rows = fromBottom > 0 ? std::min(fromBottom, size->height) : size->height;
    const Reply<xcb_get_image_reply_t> image(
        xcb_get_image_reply(connection_,
                            xcb_get_image(connection_, XCB_IMAGE_FORMAT_Z_PIXMAP, window, 0,
                                          static_cast<std::int16_t>(size->height - rows),
                                          static_cast<std::uint16_t>(size->width),
                                          static_cast<std::uint16_t>(rows), ~0U),
                            nullptr));
    if (image == nullptr) {
        return {};
    }
    const std::uint8_t* bytes = xcb_get_image_data(image.get());
    return std::vector<std::uint8_t>(bytes, bytes + xcb_get_image_data_length(image.get()));
}

bool XWindowWatcher::showsNonBlack(xcb_window_t window, int gameHeight) {
    const std::vector<std::uint8_t> pixels = pixelsOf(window, gameHeight);
    return std::any_of(pixels.begin(), pixels.end(), [](std::uint8_t byte) { return byte != 0; });
}

void XWindowWatcher::fakeInput(std::uint8_t type, std::uint8_t detail, xcb_window_t root, int x,
                               int y) {
    xcb_test_fake_input(connection_, type, detail, XCB_CURRENT_TIME, root,
                        static_cast<std::int16_t>(x), static_cast<std::int16_t>(y), 0);
}

bool XWindowWatcher::clickGamePoint(xcb_window_t window, int gameHeight, int x, int y) {
    const std::optional<Size> size = sizeOf(window);
    if (!size) {
        return false;
    }
    const Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        connection_, xcb_translate_coordinates(connection_, window, root_, 0, 0), nullptr));
    if (origin == nullptr) {
        return false;
    }
    const int rootX = origin->dst_x + x;
    const int rootY = origin->dst_y + (size->height - gameHeight) + y;
    fakeInput(XCB_MOTION_NOTIFY, 0, root_, rootX, rootY);
    fakeInput(XCB_BUTTON_PRESS, 1, XCB_NONE, 0, 0);
    fakeInput(XCB_BUTTON_RELEASE, 1, XCB_NONE, 0, 0);
    return xcb_flush(connection_) > 0;
}
