#pragma once
// One private connection to a D-Bus bus, served from the platform's one
// wait: its descriptors join the poll, and what libdbus has read ahead is
// dispatched before the wait sleeps again. It never starts a bus, and asks
// the bus never to start a service for its calls.

#include <poll.h>

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "host/x11/dbus_library.h"

namespace zol::x11 {

class BusLink {
 public:
  // Every message the connection receives, in order.
  using Handler = std::function<void(DBusMessage* message)>;

  // Connects to the bus at `address` and says hello; nullptr when it can't.
  static std::unique_ptr<BusLink> open(const DBusLibrary& dbus, const std::string& address);
  ~BusLink();
  BusLink(const BusLink&) = delete;
  BusLink& operator=(const BusLink&) = delete;

  void on_message(Handler handler) { handler_ = std::move(handler); }
  bool connected() const;
  std::string unique_name() const;

  // Sends `message` (and drops it); the reply, if any, is not waited for.
  void send(DBusMessage* message);
  // Sends `message` (and drops it) and waits at most `timeout_ms` for the
  // reply: nullptr for an error or none. The caller unrefs the reply.
  DBusMessage* call(DBusMessage* message, int timeout_ms);
  void add_match(const std::string& rule);

  void add_descriptors(std::vector<pollfd>& fds) const;
  // After the poll: reads and writes what the descriptors allow, then drains.
  void handle(std::span<const pollfd> fds);
  // Dispatches everything libdbus holds and writes out what waits to be sent.
  void drain();

  const DBusLibrary& dbus;

 private:
  BusLink(const DBusLibrary& dbus, DBusConnection* connection);
  static DBusHandlerResult filter(DBusConnection*, DBusMessage* message, void* self);

  DBusConnection* connection_;
  std::vector<DBusWatch*> watches_;
  Handler handler_;
};

}  // namespace zol::x11
