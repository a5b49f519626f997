#include "host/x11/bus_link.h"

#include <algorithm>

namespace zol::x11 {

std::unique_ptr<BusLink> BusLink::open(const DBusLibrary& d, const std::string& address) {
  DBusError error;
  d.dbus_error_init(&error);
  DBusConnection* connection = d.dbus_connection_open_private(address.c_str(), &error);
  if (!connection) {
    d.dbus_error_free(&error);
    return nullptr;
  }
  std::unique_ptr<BusLink> link(new BusLink(d, connection));
  if (!d.dbus_bus_register(connection, &error)) {
    d.dbus_error_free(&error);
    return nullptr;
  }
  return link;
}

BusLink::BusLink(const DBusLibrary& d, DBusConnection* connection)
    : dbus(d), connection_(connection) {
  d.dbus_connection_set_exit_on_disconnect(connection, FALSE);
  d.dbus_connection_set_watch_functions(
      connection,
      [](DBusWatch* watch, void* self) -> dbus_bool_t {
        static_cast<BusLink*>(self)->watches_.push_back(watch);
        return TRUE;
      },
      [](DBusWatch* watch, void* self) { std::erase(static_cast<BusLink*>(self)->watches_, watch); },
      nullptr, this, nullptr);
  // Only blocking calls, which time themselves: no timer ever wakes the wait.
  d.dbus_connection_set_timeout_functions(
      connection, [](DBusTimeout*, void*) -> dbus_bool_t { return TRUE; },
      [](DBusTimeout*, void*) {}, nullptr, nullptr, nullptr);
  d.dbus_connection_add_filter(connection, filter, this, nullptr);
}

BusLink::~BusLink() {
  dbus.dbus_connection_close(connection_);
  dbus.dbus_connection_unref(connection_);
}

DBusHandlerResult BusLink::filter(DBusConnection*, DBusMessage* message, void* self) {
  auto* link = static_cast<BusLink*>(self);
  if (link->handler_) link->handler_(message);
  return DBUS_HANDLER_RESULT_HANDLED;
}

bool BusLink::connected() const { return dbus.dbus_connection_get_is_connected(connection_); }

std::string BusLink::unique_name() const {
  const char* name = dbus.dbus_bus_get_unique_name(connection_);
  return name ? name : "";
}

void BusLink::send(DBusMessage* message) {
  if (!message) return;
  dbus.dbus_message_set_auto_start(message, FALSE);
  dbus.dbus_connection_send(connection_, message, nullptr);
  dbus.dbus_message_unref(message);
}

DBusMessage* BusLink::call(DBusMessage* message, int timeout_ms) {
  if (!message) return nullptr;
  dbus.dbus_message_set_auto_start(message, FALSE);
  DBusError error;
  dbus.dbus_error_init(&error);
  DBusMessage* reply =
      dbus.dbus_connection_send_with_reply_and_block(connection_, message, timeout_ms, &error);
  dbus.dbus_message_unref(message);
  dbus.dbus_error_free(&error);
  return reply;
}

void BusLink::add_match(const std::string& rule) {
  dbus.dbus_bus_add_match(connection_, rule.c_str(), nullptr);  // no reply waited for
}

void BusLink::add_descriptors(std::vector<pollfd>& fds) const {
  for (DBusWatch* watch : watches_) {
    if (!dbus.dbus_watch_get_enabled(watch)) continue;
    const unsigned flags = dbus.dbus_watch_get_flags(watch);
    short events = 0;
    if (flags & DBUS_WATCH_READABLE) events |= POLLIN;
    if (flags & DBUS_WATCH_WRITABLE) events |= POLLOUT;
    fds.push_back({dbus.dbus_watch_get_unix_fd(watch), events, 0});
  }
}

void BusLink::handle(std::span<const pollfd> fds) {
  for (const pollfd& p : fds) {
    if (!p.revents) continue;
    unsigned flags = 0;
    if (p.revents & POLLIN) flags |= DBUS_WATCH_READABLE;
    if (p.revents & POLLOUT) flags |= DBUS_WATCH_WRITABLE;
    if (p.revents & POLLHUP) flags |= DBUS_WATCH_HANGUP;
    if (p.revents & (POLLERR | POLLNVAL)) flags |= DBUS_WATCH_ERROR;
    // Handling one may remove others: look each up afresh.
    for (size_t i = 0; i < watches_.size(); ++i) {
      DBusWatch* watch = watches_[i];
      if (dbus.dbus_watch_get_unix_fd(watch) != p.fd || !dbus.dbus_watch_get_enabled(watch)) continue;
      const unsigned wanted = dbus.dbus_watch_get_flags(watch);
      const unsigned mine = flags & (wanted | DBUS_WATCH_HANGUP | DBUS_WATCH_ERROR);
      if (mine) dbus.dbus_watch_handle(watch, mine);
    }
  }
  drain();
}

void BusLink::drain() {
  while (dbus.dbus_connection_dispatch(connection_) == DBUS_DISPATCH_DATA_REMAINS) {
  }
  if (connected() && dbus.dbus_connection_has_messages_to_send(connection_))
    dbus.dbus_connection_flush(connection_);
}

}  // namespace zol::x11
