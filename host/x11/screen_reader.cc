#include "host/x11/screen_reader.h"

#include <X11/Xatom.h>

#include <cstdlib>
#include <cstring>

#include "host/x11/dbus_message.h"

namespace zol::x11 {
namespace {

// Short: the calls go to the bus itself and to the launcher, after the
// first frame, and a hung launcher must not hold the menu long.
constexpr int kCallTimeoutMs = 500;

const char* env(const char* name) {
  const char* value = std::getenv(name);
  return value && *value ? value : nullptr;
}

}  // namespace

ScreenReader::ScreenReader(Display* display, AccessibleMenu& menu, std::function<DeviceRect()> window)
    : display_(display), menu_(menu), window_(std::move(window)) {
  // With no bus named, libdbus is not even loaded.
  const char* session = env("DBUS_SESSION_BUS_ADDRESS");
  if (!session && !env("AT_SPI_BUS_ADDRESS")) return;
  dbus_ = DBusLibrary::load();
  if (!dbus_) return;
  const DBusLibrary& d = *dbus_;
  if (session) session_ = BusLink::open(d, session);
  if (!session_) {
    // No session bus to ask: an accessibility bus named outright is joined.
    enabled_ = env("AT_SPI_BUS_ADDRESS") != nullptr;
    if (enabled_) join();
    return;
  }
  // Never start the launcher: ask whether it runs.
  if (!has_owner(*session_, "org.a11y.Bus")) {
    session_.reset();
    return;
  }
  session_->on_message([this](DBusMessage* m) { on_session(m); });
  session_->add_match(
      "type='signal',sender='org.a11y.Bus',path='/org/a11y/bus',"
      "interface='org.freedesktop.DBus.Properties',member='PropertiesChanged',arg0='org.a11y.Status'");
  DBusMessage* get = d.dbus_message_new_method_call("org.a11y.Bus", "/org/a11y/bus",
                                                    "org.freedesktop.DBus.Properties", "Get");
  Out out(d, get);
  out.str("org.a11y.Status");
  out.str("IsEnabled");
  DBusMessage* reply = session_->call(get, kCallTimeoutMs);
  if (reply) {
    enabled_ = In(d, reply).inner().boolean();
    d.dbus_message_unref(reply);
  }
  if (enabled_) join();
}

void ScreenReader::on_session(DBusMessage* m) {
  const DBusLibrary& d = *dbus_;
  if (d.dbus_message_get_type(m) != DBUS_MESSAGE_TYPE_SIGNAL) return;
  if (d.dbus_message_is_signal(m, "org.freedesktop.DBus.Local", "Disconnected")) return;
  if (!d.dbus_message_is_signal(m, "org.freedesktop.DBus.Properties", "PropertiesChanged") ||
      std::strcmp(d.dbus_message_get_signature(m), "sa{sv}as") != 0)
    return;
  In in(d, m);
  if (in.str() != "org.a11y.Status") return;
  In changed = in.inner();
  while (changed.type() == DBUS_TYPE_DICT_ENTRY) {
    In entry = changed.inner();
    if (entry.str() != "IsEnabled") continue;
    In value = entry.inner();
    if (value.type() != DBUS_TYPE_BOOLEAN) continue;
    const bool enabled = value.boolean();
    if (enabled && !enabled_) tried_ = false;  // a bus killed before is looked for again
    enabled_ = enabled;
  }
}

void ScreenReader::on_accessibility(DBusMessage* m) {
  const DBusLibrary& d = *dbus_;
  if (d.dbus_message_is_signal(m, "org.freedesktop.DBus", "NameOwnerChanged") &&
      std::strcmp(d.dbus_message_get_signature(m), "sss") == 0) {
    In in(d, m);
    const std::string name = in.str(), before = in.str(), now = in.str();
    if (name == "org.a11y.atspi.Registry" && !now.empty()) embed();
    return;
  }
  if (d.dbus_message_get_type(m) != DBUS_MESSAGE_TYPE_METHOD_CALL) return;
  if (DBusMessage* reply = tree_->answer(m)) a11y_->send(reply);
}

// As AT-SPI clients look: the environment, the root window, the launcher.
std::optional<std::string> ScreenReader::bus_address() {
  if (const char* address = env("AT_SPI_BUS_ADDRESS")) return address;
  if (const Atom property = XInternAtom(display_, "AT_SPI_BUS", True)) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::optional<std::string> found;
    if (XGetWindowProperty(display_, DefaultRootWindow(display_), property, 0, 1024, False,
                           XA_STRING, &type, &format, &count, &after, &data) == Success &&
        type == XA_STRING && format == 8 && count > 0)
      found = std::string(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    if (found) return found;
  }
  if (!session_) return std::nullopt;
  const DBusLibrary& d = *dbus_;
  DBusMessage* reply = session_->call(
      d.dbus_message_new_method_call("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress"),
      kCallTimeoutMs);
  if (!reply) return std::nullopt;
  std::string address = In(d, reply).str();
  d.dbus_message_unref(reply);
  if (address.empty()) return std::nullopt;
  return address;
}

void ScreenReader::join() {
  tried_ = true;
  const std::optional<std::string> address = bus_address();
  if (!address) return;
  a11y_ = BusLink::open(*dbus_, *address);
  if (!a11y_) return;
  const DBusLibrary& d = *dbus_;
  tree_.emplace(d, menu_, window_);
  tree_->set_active(active_);
  tree_->set_bus_name(a11y_->unique_name());
  a11y_->on_message([this](DBusMessage* m) { on_accessibility(m); });
  menu_.listen(this);
  // The registry is started by the first screen reader, never by us: embed
  // now if it runs, else when it comes (and again if it comes back).
  a11y_->add_match(
      "type='signal',sender='org.freedesktop.DBus',interface='org.freedesktop.DBus',"
      "member='NameOwnerChanged',arg0='org.a11y.atspi.Registry'");
  if (has_owner(*a11y_, "org.a11y.atspi.Registry")) embed();
}

bool ScreenReader::has_owner(BusLink& link, const char* name) {
  const DBusLibrary& d = *dbus_;
  DBusMessage* ask = d.dbus_message_new_method_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                    "org.freedesktop.DBus", "NameHasOwner");
  Out(d, ask).str(name);
  DBusMessage* reply = link.call(ask, kCallTimeoutMs);
  const bool owned = reply && In(d, reply).boolean();
  if (reply) d.dbus_message_unref(reply);
  return owned;
}

void ScreenReader::embed() {
  const DBusLibrary& d = *dbus_;
  DBusMessage* embed =
      d.dbus_message_new_method_call("org.a11y.atspi.Registry", "/org/a11y/atspi/accessible/root",
                                     "org.a11y.atspi.Socket", "Embed");
  Out(d, embed).ref(a11y_->unique_name(), AtspiTree::path_of(AtspiTree::kApp));
  a11y_->send(embed);  // the registry's answer is not needed
}

void ScreenReader::settle() {
  if (session_ && !session_->connected()) session_.reset();
  if (a11y_ && (!a11y_->connected() || !enabled_)) {
    menu_.listen(nullptr);
    a11y_.reset();  // the registry sees the name go, and the application with it
  }
  if (enabled_ && !a11y_ && !tried_) join();
}

void ScreenReader::add_descriptors(std::vector<pollfd>& fds) {
  const size_t before = fds.size();
  if (session_) session_->add_descriptors(fds);
  session_fds_ = fds.size() - before;
  if (a11y_) a11y_->add_descriptors(fds);
}

void ScreenReader::handle(std::span<const pollfd> fds) {
  if (session_) session_->handle(fds.first(std::min(session_fds_, fds.size())));
  if (a11y_ && fds.size() > session_fds_) a11y_->handle(fds.subspan(session_fds_));
  settle();
}

void ScreenReader::drain() {
  if (session_) session_->drain();
  if (a11y_) a11y_->drain();
  settle();
  if (a11y_) a11y_->drain();
}

void ScreenReader::emit(DBusMessage* signal) {
  if (!signal) return;
  if (a11y_) a11y_->send(signal);
  else dbus_->dbus_message_unref(signal);
}

void ScreenReader::window_active(bool active) {
  active_ = active;
  if (!tree_) return;
  tree_->set_active(active);
  if (!a11y_) return;
  emit(tree_->window_event(AtspiTree::kFrame, active ? "Activate" : "Deactivate"));
  emit(tree_->state_changed(AtspiTree::kFrame, "active", active));
}

void ScreenReader::current_changed(std::optional<size_t> before, std::optional<size_t> now) {
  if (!a11y_) return;
  if (before) emit(tree_->state_changed(tree_->button(*before), "focused", false));
  if (now) emit(tree_->state_changed(tree_->button(*now), "focused", true));
}

void ScreenReader::show_alert(const std::string& text) {
  if (!tree_) return;
  tree_->show_alert(text);
  if (!a11y_) return;
  emit(tree_->child_added(AtspiTree::kApp, tree_->alert()));
  emit(tree_->window_event(tree_->alert(), "Activate"));
  emit(tree_->state_changed(tree_->alert_ok(), "focused", true));
  a11y_->drain();
}

}  // namespace zol::x11
