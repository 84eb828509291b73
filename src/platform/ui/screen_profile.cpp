#include "platform/ui/screen_profile.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace pelldrake {
namespace {

// A display profile is a few kilobytes; the property is read no further than this.
constexpr std::uint32_t kMaxProfileWords = std::uint32_t{4} << 20 >> 2;

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};

} // namespace

QByteArray ReadScreenIccProfile() {
    const auto* x11 = qGuiApp == nullptr ? nullptr : qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 == nullptr ? nullptr : x11->connection();
    if (connection == nullptr)
        return {};
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    if (screen == nullptr)
        return {};
    static constexpr char kName[] = "_ICC_PROFILE";
    const std::unique_ptr<xcb_intern_atom_reply_t, FreeReply> atom(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, /*only_if_exists=*/1, sizeof kName - 1, kName), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return {};
    const std::unique_ptr<xcb_get_property_reply_t, FreeReply> property(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, /*delete=*/0, screen->root, atom->atom,
                                                XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxProfileWords),
                               nullptr));
    if (!property || property->format != 8)
        return {};
    const int length = xcb_get_property_value_length(property.get());
    if (length <= 0 || property->bytes_after != 0)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(property.get())), length);
}

} // namespace pelldrake
