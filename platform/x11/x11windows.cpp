// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

#include "platform/x11/x11windows.h"

#include <xcb/xcb_icccm.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace X11 {

namespace {

QString decodeClassString(const QByteArray &bytes)
{
    const QString utf8 = QString::fromUtf8(bytes);
    return utf8.toUtf8() == bytes ? utf8 : QString::fromLatin1(bytes);
}

bool hasWmState(X11Connection &x11, xcb_window_t window)
{
    const std::optional<RawProperty> state = readProperty(x11, window, x11.atoms().wmState);
    return state && state->exists();
}

QVector<xcb_window_t> childrenOf(X11Connection &x11, xcb_window_t window)
{
    const auto tree
        = adopt(xcb_query_tree_reply(x11.xcb(), xcb_query_tree(x11.xcb(), window), nullptr));
    if (!tree)
        return {};
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return QVector<xcb_window_t>(children, children + xcb_query_tree_children_length(tree.get()));
}

// The window manager keeps the client inside frames of its own: search below the frame.
xcb_window_t clientBelow(X11Connection &x11, xcb_window_t frame, int depth)
{
    if (hasWmState(x11, frame))
        return frame;
    if (depth == 0)
        return XCB_WINDOW_NONE;
    const QVector<xcb_window_t> children = childrenOf(x11, frame);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (const xcb_window_t client = clientBelow(x11, *it, depth - 1))
            return client;
    }
    return XCB_WINDOW_NONE;
}

void sendToRoot(X11Connection &x11, xcb_window_t window, xcb_atom_t type,
                std::initializer_list<quint32> data)
{
    xcb_ewmh_send_client_message(x11.xcb(), window, x11.root(), type,
                                 static_cast<uint32_t>(data.size() * sizeof(quint32)),
                                 data.begin());
}

} // namespace

QVector<quint32> RawProperty::cardinals() const
{
    if (format != 32)
        return {};
    QVector<quint32> values(data.size() / 4);
    std::memcpy(values.data(), data.constData(), values.size() * 4);
    return values;
}

xcb_get_property_cookie_t requestProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                                          quint32 maxBytes)
{
    return xcb_get_property(x11.xcb(), 0, window, atom, XCB_GET_PROPERTY_TYPE_ANY, 0,
                            (maxBytes + 3) / 4);
}

std::optional<RawProperty> propertyReply(X11Connection &x11, xcb_get_property_cookie_t cookie)
{
    const auto reply = adopt(xcb_get_property_reply(x11.xcb(), cookie, nullptr));
    if (!reply || reply->bytes_after > 0)
        return std::nullopt;
    RawProperty property;
    property.type = reply->type;
    property.format = reply->format;
    property.data = QByteArray(static_cast<const char *>(xcb_get_property_value(reply.get())),
                               xcb_get_property_value_length(reply.get()));
    return property;
}

std::optional<RawProperty> readProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom)
{
    return propertyReply(x11, requestProperty(x11, window, atom));
}

void writeProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                   const RawProperty &value)
{
    const int unit = qMax(1, value.format / 8);
    xcb_change_property(x11.xcb(), XCB_PROP_MODE_REPLACE, window, atom, value.type, value.format,
                        static_cast<uint32_t>(value.data.size() / unit), value.data.constData());
}

void restoreProperty(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                     const RawProperty &value)
{
    if (value.exists())
        writeProperty(x11, window, atom, value);
    else
        xcb_delete_property(x11.xcb(), window, atom);
}

QVector<quint32> packProperties(const PropertySet &properties)
{
    QVector<quint32> packed;
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        const QByteArray &data = it->data;
        packed += { it.key(), it->type, it->format, quint32(data.size()) };
        const int start = packed.size();
        packed.resize(start + (data.size() + 3) / 4);
        std::memcpy(packed.data() + start, data.constData(), size_t(data.size()));
    }
    return packed;
}

PropertySet unpackProperties(const QVector<quint32> &packed)
{
    constexpr int headerLength = 4;
    PropertySet properties;
    for (int i = 0; i + headerLength <= packed.size();) {
        RawProperty property;
        property.type = packed[i + 1];
        property.format = static_cast<quint8>(packed[i + 2]);
        const quint32 bytes = packed[i + 3];
        const int words = int((qMin<quint32>(bytes, maxPropertyBytes) + 3) / 4);
        if (bytes > maxPropertyBytes || i + headerLength + words > packed.size())
            break;
        property.data
            = QByteArray(reinterpret_cast<const char *>(packed.constData() + i + 4), int(bytes));
        properties.insert(packed[i], property);
        i += headerLength + words;
    }
    return properties;
}

void writeCardinals(X11Connection &x11, xcb_window_t window, xcb_atom_t atom,
                    const QVector<quint32> &values, xcb_atom_t type)
{
    xcb_change_property(x11.xcb(), XCB_PROP_MODE_REPLACE, window, atom, type, 32,
                        static_cast<uint32_t>(values.size()), values.constData());
}

std::optional<WmClass> wmClassFrom(const RawProperty &property)
{
    if (!property.exists() || property.format != 8)
        return std::nullopt;
    const QByteArray &data = property.data;
    const int instanceEnd = data.indexOf('\0');
    if (instanceEnd < 0)
        return WmClass { decodeClassString(data), QString() };
    int classEnd = data.indexOf('\0', instanceEnd + 1);
    if (classEnd < 0)
        classEnd = data.size();
    return WmClass { decodeClassString(data.left(instanceEnd)),
                     decodeClassString(data.mid(instanceEnd + 1, classEnd - instanceEnd - 1)) };
}

xcb_get_property_cookie_t requestWmClass(X11Connection &x11, xcb_window_t window)
{
    return requestProperty(x11, window, XCB_ATOM_WM_CLASS, maxWmClassBytes);
}

std::optional<WmClass> readWmClass(X11Connection &x11, xcb_window_t window)
{
    const std::optional<RawProperty> property = propertyReply(x11, requestWmClass(x11, window));
    return property ? wmClassFrom(*property) : std::nullopt;
}

QVector<xcb_window_t> readClientList(X11Connection &x11)
{
    const std::optional<RawProperty> list
        = readProperty(x11, x11.root(), x11.ewmh()->_NET_CLIENT_LIST);
    if (!list || list->type != XCB_ATOM_WINDOW)
        return {};
    return list->cardinals();
}

QVector<xcb_window_t> framedClients(X11Connection &x11)
{
    QVector<xcb_window_t> clients;
    for (const xcb_window_t topLevel : topLevelWindows(x11)) {
        if (const xcb_window_t client = clientWindowIn(x11, topLevel))
            clients.append(client);
    }
    return clients;
}

bool hasWindowManager(X11Connection &x11)
{
    const xcb_atom_t check = x11.ewmh()->_NET_SUPPORTING_WM_CHECK;
    const std::optional<quint32> child = cardinal(x11, x11.root(), check);
    return child && *child != XCB_WINDOW_NONE && cardinal(x11, *child, check) == child;
}

xcb_window_t selectionOwner(X11Connection &x11, xcb_atom_t selection)
{
    const auto reply = adopt(xcb_get_selection_owner_reply(
        x11.xcb(), xcb_get_selection_owner(x11.xcb(), selection), nullptr));
    return reply ? reply->owner : xcb_window_t(XCB_WINDOW_NONE);
}

xcb_window_t clientWindowAt(X11Connection &x11, int x, int y)
{
    const auto reply = adopt(xcb_translate_coordinates_reply(
        x11.xcb(),
        xcb_translate_coordinates(x11.xcb(), x11.root(), x11.root(), static_cast<int16_t>(x),
                                  static_cast<int16_t>(y)),
        nullptr));
    if (!reply || reply->child == XCB_WINDOW_NONE)
        return XCB_WINDOW_NONE;
    return clientWindowIn(x11, reply->child);
}

xcb_window_t clientWindowIn(X11Connection &x11, xcb_window_t topLevel)
{
    // Frames nest a few levels deep in common window managers; more is not searched.
    constexpr int maxDepth = 4;
    return clientBelow(x11, topLevel, maxDepth);
}

QVector<xcb_keycode_t> keycodesOf(X11Connection &x11, xcb_keysym_t keysym)
{
    const xcb_setup_t *setup = xcb_get_setup(x11.xcb());
    const auto count = static_cast<uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    const auto mapping = adopt(xcb_get_keyboard_mapping_reply(
        x11.xcb(), xcb_get_keyboard_mapping(x11.xcb(), setup->min_keycode, count), nullptr));
    if (!mapping || mapping->keysyms_per_keycode == 0)
        return {};
    const xcb_keysym_t *keysyms = xcb_get_keyboard_mapping_keysyms(mapping.get());
    const int length = xcb_get_keyboard_mapping_keysyms_length(mapping.get());
    QVector<xcb_keycode_t> keycodes;
    for (int i = 0; i < length; ++i) {
        const auto keycode
            = static_cast<xcb_keycode_t>(setup->min_keycode + i / mapping->keysyms_per_keycode);
        if (keysyms[i] == keysym && !keycodes.contains(keycode))
            keycodes.append(keycode);
    }
    return keycodes;
}

void sync(X11Connection &x11)
{
    adopt(xcb_get_input_focus_reply(x11.xcb(), xcb_get_input_focus(x11.xcb()), nullptr));
}

QVector<xcb_window_t> topLevelWindows(X11Connection &x11)
{
    return childrenOf(x11, x11.root());
}

bool isViewableTopLevel(X11Connection &x11, xcb_window_t window)
{
    const auto attributes = adopt(xcb_get_window_attributes_reply(
        x11.xcb(), xcb_get_window_attributes(x11.xcb(), window), nullptr));
    return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE
        && !attributes->override_redirect;
}

quint32 currentDesktop(X11Connection &x11)
{
    return cardinal(x11, x11.root(), x11.ewmh()->_NET_CURRENT_DESKTOP).value_or(0);
}

QRect workArea(X11Connection &x11)
{
    const QRect screen(0, 0, x11.screen()->width_in_pixels, x11.screen()->height_in_pixels);
    const std::optional<RawProperty> areas
        = readProperty(x11, x11.root(), x11.ewmh()->_NET_WORKAREA);
    if (!areas)
        return screen;
    const QVector<quint32> values = areas->cardinals();
    const int first = static_cast<int>(currentDesktop(x11)) * 4;
    if (first < 0 || first + 4 > values.size())
        return screen;
    const QRect area(static_cast<int>(values[first]), static_cast<int>(values[first + 1]),
                     static_cast<int>(values[first + 2]), static_cast<int>(values[first + 3]));
    return area.isEmpty() ? screen : area;
}

QRect geometryOnScreen(X11Connection &x11, xcb_window_t window)
{
    const xcb_get_geometry_cookie_t geometryCookie = xcb_get_geometry(x11.xcb(), window);
    const xcb_translate_coordinates_cookie_t positionCookie
        = xcb_translate_coordinates(x11.xcb(), window, x11.root(), 0, 0);
    const auto geometry = adopt(xcb_get_geometry_reply(x11.xcb(), geometryCookie, nullptr));
    const auto position
        = adopt(xcb_translate_coordinates_reply(x11.xcb(), positionCookie, nullptr));
    if (!geometry || !position)
        return {};
    return QRect(position->dst_x, position->dst_y, geometry->width, geometry->height);
}

QMargins frameExtents(X11Connection &x11, xcb_window_t window)
{
    const std::optional<RawProperty> extents
        = readProperty(x11, window, x11.ewmh()->_NET_FRAME_EXTENTS);
    const QVector<quint32> values = extents ? extents->cardinals() : QVector<quint32>();
    if (values.size() != 4)
        return {};
    return QMargins(static_cast<int>(values[0]), static_cast<int>(values[2]),
                    static_cast<int>(values[1]), static_cast<int>(values[3]));
}

int borderWidth(X11Connection &x11, xcb_window_t window)
{
    const auto geometry
        = adopt(xcb_get_geometry_reply(x11.xcb(), xcb_get_geometry(x11.xcb(), window), nullptr));
    return geometry ? geometry->border_width : 0;
}

QMargins frameByGeometry(X11Connection &x11, xcb_window_t window)
{
    xcb_window_t topLevel = window;
    for (;;) {
        const auto tree
            = adopt(xcb_query_tree_reply(x11.xcb(), xcb_query_tree(x11.xcb(), topLevel), nullptr));
        if (!tree)
            return {};
        if (tree->parent == x11.root() || tree->parent == XCB_WINDOW_NONE)
            break;
        topLevel = tree->parent;
    }
    const auto outer
        = adopt(xcb_get_geometry_reply(x11.xcb(), xcb_get_geometry(x11.xcb(), topLevel), nullptr));
    const QRect inner = geometryOnScreen(x11, window);
    if (topLevel == window || !outer || inner.isNull())
        return {};
    const int border = outer->border_width;
    const QRect frame(outer->x, outer->y, outer->width + 2 * border, outer->height + 2 * border);
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(),
                    frame.right() - inner.right(), frame.bottom() - inner.bottom());
}

QVector<xcb_atom_t> wmStates(X11Connection &x11, xcb_window_t window)
{
    const std::optional<RawProperty> states = readProperty(x11, window, x11.ewmh()->_NET_WM_STATE);
    return states ? states->cardinals() : QVector<xcb_atom_t>();
}

std::optional<quint32> cardinal(X11Connection &x11, xcb_window_t window, xcb_atom_t atom)
{
    const std::optional<RawProperty> property = readProperty(x11, window, atom);
    const QVector<quint32> values = property ? property->cardinals() : QVector<quint32>();
    if (values.isEmpty())
        return std::nullopt;
    return values.first();
}

bool supportsProtocol(X11Connection &x11, xcb_window_t window, xcb_atom_t protocol)
{
    const std::optional<RawProperty> protocols
        = readProperty(x11, window, x11.ewmh()->WM_PROTOCOLS);
    return protocols && protocols->cardinals().contains(protocol);
}

void requestStates(X11Connection &x11, xcb_window_t window, bool add, xcb_atom_t first,
                   xcb_atom_t second)
{
    xcb_ewmh_request_change_wm_state(x11.ewmh(), x11.screenNumber(), window,
                                     add ? XCB_EWMH_WM_STATE_ADD : XCB_EWMH_WM_STATE_REMOVE, first,
                                     second, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
}

void requestDesktop(X11Connection &x11, xcb_window_t window, quint32 desktop)
{
    xcb_ewmh_request_change_wm_desktop(x11.ewmh(), x11.screenNumber(), window, desktop,
                                       XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER);
}

void requestMoveResize(X11Connection &x11, xcb_window_t window, const QRect &rect,
                       xcb_gravity_t gravity)
{
    const auto flags = static_cast<xcb_ewmh_moveresize_window_opt_flags_t>(
        XCB_EWMH_MOVERESIZE_WINDOW_X | XCB_EWMH_MOVERESIZE_WINDOW_Y
        | XCB_EWMH_MOVERESIZE_WINDOW_WIDTH | XCB_EWMH_MOVERESIZE_WINDOW_HEIGHT);
    xcb_ewmh_request_moveresize_window(
        x11.ewmh(), x11.screenNumber(), window, gravity, XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, flags,
        static_cast<uint32_t>(rect.x()), static_cast<uint32_t>(rect.y()),
        static_cast<uint32_t>(rect.width()), static_cast<uint32_t>(rect.height()));
}

void requestIconic(X11Connection &x11, xcb_window_t window)
{
    sendToRoot(x11, window, x11.atoms().wmChangeState, { XCB_ICCCM_WM_STATE_ICONIC });
}

void requestActivate(X11Connection &x11, xcb_window_t window)
{
    xcb_ewmh_request_change_active_window(x11.ewmh(), x11.screenNumber(), window,
                                          XCB_EWMH_CLIENT_SOURCE_TYPE_OTHER, XCB_CURRENT_TIME,
                                          XCB_WINDOW_NONE);
}

void requestClose(X11Connection &x11, xcb_window_t window)
{
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = window;
    message.type = x11.ewmh()->WM_PROTOCOLS;
    message.data.data32[0] = x11.atoms().wmDeleteWindow;
    message.data.data32[1] = XCB_CURRENT_TIME;
    xcb_send_event(x11.xcb(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char *>(&message));
}

} // namespace X11
