// SPDX-FileCopyrightText: 2026 The kivo-admin-winprops developers
// SPDX-License-Identifier: GPL-2.0-or-later

// A tiny X11 program for the tests: opens windows with the WM_CLASS it is told, one command per
// line on standard input, and answers on standard output.
//
//   open HEX [geometry WxH+X+Y] [motif FLAGS,FUNCTIONS,DECORATIONS] [nodelete] [input 0|1]
//        [await PROPERTY]
//        HEX: the bytes of WM_CLASS in hexadecimal, "-" for no WM_CLASS at all
//        await: maps the window only once someone else gave it that property, and answers
//        "window 0" when that does not happen within ten seconds
//        answers "window ID" once the window is mapped
//   destroy ID      answers "destroyed ID"
//   motif ID FLAGS,FUNCTIONS,DECORATIONS | motif ID -
//                   sets (or deletes) the window's _MOTIF_WM_HINTS; answers "motif ID"
//   quit
//
// A WM_DELETE_WINDOW from anyone destroys that window and prints "deleted ID".

#include <xcb/xcb.h>
#include <xcb/xcb_icccm.h>

#include <poll.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace {

xcb_connection_t *connection = nullptr;
xcb_screen_t *screen = nullptr;
xcb_atom_t wmProtocols = XCB_ATOM_NONE;
xcb_atom_t wmDeleteWindow = XCB_ATOM_NONE;
xcb_atom_t motifWmHints = XCB_ATOM_NONE;

xcb_atom_t atom(const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

std::string fromHex(const std::string &hex)
{
    std::string bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

void answer(const char *word, xcb_window_t window)
{
    std::printf("%s %u\n", word, window);
    std::fflush(stdout);
}

struct OpenOptions
{
    int x = 0, y = 0, width = 200, height = 150;
    std::vector<uint32_t> motif;
    bool deletable = true;
    xcb_atom_t awaited = XCB_ATOM_NONE;
    int input = -1;
};

std::vector<uint32_t> motifHintsOf(const std::string &value)
{
    unsigned flags = 0, functions = 0, decorations = 0;
    if (std::sscanf(value.c_str(), "%u,%u,%u", &flags, &functions, &decorations) != 3)
        return {};
    return { flags, functions, decorations, 0, 0 };
}

void setMotifHints(xcb_window_t window, const std::string &value)
{
    const std::vector<uint32_t> hints = motifHintsOf(value);
    if (hints.empty()) {
        xcb_delete_property(connection, window, motifWmHints);
        return;
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, motifWmHints, motifWmHints, 32,
                        hints.size(), hints.data());
}

OpenOptions readOptions(std::istringstream &words)
{
    OpenOptions options;
    std::string word;
    while (words >> word) {
        std::string value;
        if (word == "nodelete") {
            options.deletable = false;
        } else if (word == "await" && words >> value) {
            options.awaited = atom(value.c_str());
        } else if (word == "geometry" && words >> value) {
            std::sscanf(value.c_str(), "%dx%d+%d+%d", &options.width, &options.height, &options.x,
                        &options.y);
        } else if (word == "motif" && words >> value) {
            options.motif = motifHintsOf(value);
        } else if (word == "input" && words >> value) {
            options.input = std::atoi(value.c_str());
        }
    }
    return options;
}

void handle(xcb_generic_event_t *event);

bool awaitProperty(xcb_window_t window, xcb_atom_t awaited)
{
    xcb_flush(connection);
    pollfd fd = { xcb_get_file_descriptor(connection), POLLIN, 0 };
    for (int waited = 0; waited < 10000; waited += 100) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            const auto *notify = reinterpret_cast<xcb_property_notify_event_t *>(event);
            const bool arrived = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY
                && notify->window == window && notify->atom == awaited
                && notify->state == XCB_PROPERTY_NEW_VALUE;
            handle(event);
            std::free(event);
            if (arrived)
                return true;
        }
        poll(&fd, 1, 100);
    }
    return false;
}

void open(const std::string &classHex, std::istringstream &words)
{
    const OpenOptions options = readOptions(words);
    const xcb_window_t window = xcb_generate_id(connection);
    const uint32_t values[]
        = { screen->white_pixel, XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE };
    xcb_create_window(connection, XCB_COPY_FROM_PARENT, window, screen->root, options.x, options.y,
                      options.width, options.height, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      screen->root_visual, XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
    if (classHex != "-") {
        const std::string wmClass = fromHex(classHex);
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_CLASS,
                            XCB_ATOM_STRING, 8, wmClass.size(), wmClass.data());
    }
    const char title[] = "kivo test window";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                        XCB_ATOM_STRING, 8, sizeof title - 1, title);
    if (options.deletable) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, wmProtocols, XCB_ATOM_ATOM,
                            32, 1, &wmDeleteWindow);
    }
    if (!options.motif.empty()) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, motifWmHints, motifWmHints,
                            32, options.motif.size(), options.motif.data());
    }
    if (options.input >= 0) {
        xcb_icccm_wm_hints_t hints {};
        xcb_icccm_wm_hints_set_input(&hints, options.input);
        xcb_icccm_set_wm_hints(connection, window, &hints);
    }
    if (options.awaited != XCB_ATOM_NONE && !awaitProperty(window, options.awaited)) {
        xcb_destroy_window(connection, window);
        answer("window", 0);
        return;
    }
    xcb_map_window(connection, window);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    answer("window", window);
}

void handle(xcb_generic_event_t *event)
{
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return;
    const auto *message = reinterpret_cast<xcb_client_message_event_t *>(event);
    if (message->type == wmProtocols && message->data.data32[0] == wmDeleteWindow) {
        xcb_destroy_window(connection, message->window);
        xcb_flush(connection);
        answer("deleted", message->window);
    }
}

bool command(const std::string &line)
{
    std::istringstream words(line);
    std::string verb, argument;
    words >> verb >> argument;
    if (verb == "open") {
        open(argument, words);
    } else if (verb == "destroy") {
        const xcb_window_t window = std::strtoul(argument.c_str(), nullptr, 10);
        xcb_destroy_window(connection, window);
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        answer("destroyed", window);
    } else if (verb == "motif") {
        const xcb_window_t window = std::strtoul(argument.c_str(), nullptr, 10);
        std::string value;
        words >> value;
        setMotifHints(window, value);
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
        answer("motif", window);
    } else if (verb == "quit") {
        return false;
    }
    return true;
}

} // namespace

int main()
{
    connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "x11-test-client: cannot open the display\n");
        return 1;
    }
    screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
    wmProtocols = atom("WM_PROTOCOLS");
    wmDeleteWindow = atom("WM_DELETE_WINDOW");
    motifWmHints = atom("_MOTIF_WM_HINTS");

    std::string pending;
    pollfd fds[2]
        = { { STDIN_FILENO, POLLIN, 0 }, { xcb_get_file_descriptor(connection), POLLIN, 0 } };
    for (;;) {
        while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
            handle(event);
            std::free(event);
        }
        if (xcb_connection_has_error(connection))
            return 2;
        xcb_flush(connection);
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[0].revents & (POLLIN | POLLHUP)) {
            char buffer[65536];
            const ssize_t count = read(STDIN_FILENO, buffer, sizeof buffer);
            if (count <= 0)
                return 0;
            pending.append(buffer, count);
            for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
                const std::string line = pending.substr(0, end);
                pending.erase(0, end + 1);
                if (!command(line))
                    return 0;
            }
        }
    }
}
