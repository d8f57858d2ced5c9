// Another program on the desktop that holds a key combination first: keygrab_helper KEYSYM MODIFIERS
// (numbers, hexadecimal with 0x) grabs the key on the root window, prints "held" or "refused", and keeps
// the grab until it is ended. keygrab_helper state prints the modifier and lock state the server keeps
// (0x2 Caps Lock, 0x10 Num Lock on the usual keyboard map) and ends.

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const bool state = argc == 2 && std::string(argv[1]) == "state";
    if (argc != 3 && !state) {
        std::fprintf(stderr, "usage: keygrab_helper KEYSYM MODIFIERS | keygrab_helper state\n");
        return 2;
    }
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "keygrab_helper: no X display\n");
        return 1;
    }
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_window_t root = xcb_setup_roots_iterator(setup).data->root;
    if (state) {
        xcb_query_pointer_reply_t* pointer =
            xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
        if (pointer)
            std::printf("0x%x\n", unsigned(pointer->mask));
        std::free(pointer);
        xcb_disconnect(connection);
        return pointer ? 0 : 1;
    }
    const auto symbol = static_cast<xcb_keysym_t>(std::stoul(argv[1], nullptr, 0));
    const auto modifiers = static_cast<std::uint16_t>(std::stoul(argv[2], nullptr, 0));
    const auto count = static_cast<std::uint8_t>(setup->max_keycode - setup->min_keycode + 1);
    xcb_get_keyboard_mapping_reply_t* mapping = xcb_get_keyboard_mapping_reply(
        connection, xcb_get_keyboard_mapping(connection, setup->min_keycode, count), nullptr);
    xcb_keycode_t keycode = 0;
    if (mapping) {
        const xcb_keysym_t* symbols = xcb_get_keyboard_mapping_keysyms(mapping);
        const int length = xcb_get_keyboard_mapping_keysyms_length(mapping);
        for (int i = 0; i < length && keycode == 0; ++i) {
            if (symbols[i] == symbol)
                keycode = static_cast<xcb_keycode_t>(setup->min_keycode + i / mapping->keysyms_per_keycode);
        }
        std::free(mapping);
    }
    xcb_generic_error_t* error =
        keycode == 0
            ? nullptr
            : xcb_request_check(connection, xcb_grab_key_checked(connection, 1, root, modifiers, keycode,
                                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    const bool held = keycode != 0 && !error;
    std::free(error);
    std::printf("%s\n", held ? "held" : "refused");
    std::fflush(stdout);
    // Keep the grab: wait on the connection until the server goes or the program is ended.
    while (xcb_generic_event_t* event = xcb_wait_for_event(connection))
        std::free(event);
    xcb_disconnect(connection);
    return held ? 0 : 1;
}
