#pragma once
// libdbus, loaded only when the menu looks for a screen reader, after the
// first frame: linked, it would cost every start, for the few players who
// use one. Its headers only; no GLib, no ATK.

#include <dbus/dbus.h>

namespace zol::x11 {

#define ZOL_DBUS_FUNCTIONS(F)                                                                   \
  F(dbus_error_init) F(dbus_error_free) F(dbus_error_is_set) F(dbus_connection_open_private)   \
  F(dbus_bus_register) F(dbus_bus_get_unique_name) F(dbus_connection_close)                     \
  F(dbus_connection_unref) F(dbus_connection_set_exit_on_disconnect)                            \
  F(dbus_connection_set_watch_functions) F(dbus_connection_set_timeout_functions)               \
  F(dbus_connection_add_filter) F(dbus_connection_get_is_connected) F(dbus_connection_send)     \
  F(dbus_connection_send_with_reply_and_block) F(dbus_connection_dispatch)                      \
  F(dbus_connection_get_dispatch_status) F(dbus_connection_flush)                               \
  F(dbus_connection_read_write) F(dbus_connection_has_messages_to_send)                         \
  F(dbus_watch_get_unix_fd) F(dbus_watch_get_flags) F(dbus_watch_get_enabled) F(dbus_watch_handle) \
  F(dbus_bus_add_match) F(dbus_message_new_method_call) F(dbus_message_new_method_return)       \
  F(dbus_message_new_error) F(dbus_message_new_signal) F(dbus_message_unref)                    \
  F(dbus_message_set_auto_start) F(dbus_message_set_no_reply) F(dbus_message_get_type)          \
  F(dbus_message_get_path) F(dbus_message_get_interface) F(dbus_message_get_member)             \
  F(dbus_message_get_signature) F(dbus_message_get_no_reply) F(dbus_message_is_signal)          \
  F(dbus_message_iter_init) F(dbus_message_iter_init_append) F(dbus_message_iter_get_arg_type)  \
  F(dbus_message_iter_get_basic) F(dbus_message_iter_next) F(dbus_message_iter_recurse)         \
  F(dbus_message_iter_append_basic) F(dbus_message_iter_open_container)                         \
  F(dbus_message_iter_close_container)

struct DBusLibrary {
#define ZOL_DBUS_MEMBER(name) decltype(&::name) name;
  ZOL_DBUS_FUNCTIONS(ZOL_DBUS_MEMBER)
#undef ZOL_DBUS_MEMBER

  // Loaded on the first call and kept; nullptr when it can't be loaded.
  static const DBusLibrary* load();
};

}  // namespace zol::x11
