#include "host/x11/atspi_tree.h"

#include <charconv>
#include <cstring>

#include "host/x11/dbus_message.h"

namespace zol::x11 {
namespace {

constexpr char kObjects[] = "/org/a11y/atspi/accessible/";
constexpr char kRoot[] = "/org/a11y/atspi/accessible/root";

// AT-SPI's numbers for the roles and states used here.
enum Role : uint32_t { kAlertRole = 2, kFrameRole = 23, kLabelRole = 29, kButtonRole = 43, kAppRole = 75 };
enum State : uint32_t {
  kActive = 1, kEnabled = 8, kFocusable = 11, kFocused = 12, kModal = 16,
  kSensitive = 24, kShowing = 25, kVisible = 30,
};

}  // namespace

AtspiTree::AtspiTree(const DBusLibrary& dbus, AccessibleMenu& menu, std::function<DeviceRect()> window)
    : dbus_(dbus), menu_(menu), window_(std::move(window)) {}

std::string AtspiTree::path_of(int id) {
  return id == kApp ? kRoot : kObjects + std::to_string(id);
}

std::optional<int> AtspiTree::id_of(const char* path) const {
  if (!path) return std::nullopt;
  if (std::strcmp(path, kRoot) == 0) return kApp;
  const size_t prefix = std::strlen(kObjects);
  if (std::strncmp(path, kObjects, prefix) != 0) return std::nullopt;
  const char* digits = path + prefix;
  const char* end = digits + std::strlen(digits);
  int id = 0;
  const auto [at, ec] = std::from_chars(digits, end, id);
  if (ec != std::errc() || at != end || digits == end || *digits == '0' || !exists(id))
    return std::nullopt;
  return id;
}

bool AtspiTree::exists(int id) const {
  if (id >= kApp && id < alert()) return true;
  return alert_ && id >= alert() && id <= alert_ok();
}

std::optional<size_t> AtspiTree::entry_of(int id) const {
  if (id >= kFirstButton && id < alert()) return static_cast<size_t>(id - kFirstButton);
  return std::nullopt;
}

int AtspiTree::parent(int id) const {
  if (id == kFrame || id == alert()) return kApp;
  if (entry_of(id)) return kFrame;
  if (id == alert_text() || id == alert_ok()) return alert();
  return -1;  // the application's parent is the desktop
}

std::vector<int> AtspiTree::children(int id) const {
  std::vector<int> list;
  if (id == kApp) {
    list.push_back(kFrame);
    if (alert_) list.push_back(alert());
  } else if (id == kFrame) {
    for (size_t i = 0; i < menu_.entries().size(); ++i) list.push_back(button(i));
  } else if (id == alert()) {
    list = {alert_text(), alert_ok()};
  }
  return list;
}

int AtspiTree::index_in_parent(int id) const {
  if (parent(id) < 0) return -1;
  const std::vector<int> siblings = children(parent(id));
  for (size_t i = 0; i < siblings.size(); ++i)
    if (siblings[i] == id) return static_cast<int>(i);
  return -1;
}

uint32_t AtspiTree::role(int id) const {
  if (id == kApp) return kAppRole;
  if (id == kFrame) return kFrameRole;
  if (id == alert()) return kAlertRole;
  if (id == alert_text()) return kLabelRole;
  return kButtonRole;
}

std::string AtspiTree::name(int id) const {
  if (id == kApp || id == kFrame) return menu_.window().name;
  if (const auto entry = entry_of(id)) return menu_.entries()[*entry].name;
  if (id == alert() || id == alert_text()) return alert_.value_or("");
  return "OK";
}

std::string AtspiTree::description(int id) const {
  if (id == kFrame) return menu_.window().description;
  if (const auto entry = entry_of(id)) return menu_.entries()[*entry].description;
  return "";
}

std::vector<uint32_t> AtspiTree::states(int id) const {
  if (id == kApp) return {};
  std::vector<uint32_t> set = {kEnabled, kSensitive, kVisible, kShowing};
  if (id == kFrame && active_ && !alert_) set.push_back(kActive);
  if (id == alert()) set.insert(set.end(), {kActive, kModal});
  if (entry_of(id) || id == alert_ok()) set.push_back(kFocusable);
  if ((entry_of(id) && menu_.current() == entry_of(id) && !alert_) || id == alert_ok())
    set.push_back(kFocused);
  return set;
}

std::vector<const char*> AtspiTree::interfaces(int id) const {
  std::vector<const char*> list = {"org.a11y.atspi.Accessible"};
  if (id == kApp) list.push_back("org.a11y.atspi.Application");
  if (id == kFrame || entry_of(id)) list.push_back("org.a11y.atspi.Component");
  if (has_action(id)) list.push_back("org.a11y.atspi.Action");
  return list;
}

// coords: 0 the screen, 1 the window, 2 the parent (the frame, for a button).
std::optional<DeviceRect> AtspiTree::extents(int id, uint32_t coords) const {
  const DeviceRect window = window_();
  DeviceRect r;
  if (id == kFrame) r = {0, 0, window.w, window.h};
  else if (const auto entry = entry_of(id)) r = menu_.entries()[*entry].rect;
  else return std::nullopt;
  if (coords == 0 || (coords == 2 && id == kFrame)) {
    r.x += window.x;
    r.y += window.y;
  }
  return r;
}

void AtspiTree::ref(Out& out, int id) const {
  if (id < 0) return out.ref("org.a11y.atspi.Registry", kRoot);
  out.ref(bus_name_, path_of(id));
}

void AtspiTree::state_set(Out& out, int id) const {
  uint32_t bits[2] = {0, 0};
  for (uint32_t s : states(id)) bits[s / 32] |= 1u << (s % 32);
  out.open(DBUS_TYPE_ARRAY, "u", [&](Out& a) {
    a.u32(bits[0]);
    a.u32(bits[1]);
  });
}

DBusMessage* AtspiTree::signal(int id, const char* iface, const char* member, const char* detail,
                               int detail1, const std::function<void(Out&)>& any) const {
  if (!exists(id)) return nullptr;
  DBusMessage* m = dbus_.dbus_message_new_signal(path_of(id).c_str(), iface, member);
  if (!m) return nullptr;
  Out out(dbus_, m);
  out.str(detail);
  out.i32(detail1);
  out.i32(0);
  if (any) out.open(DBUS_TYPE_VARIANT, "(so)", any);
  else out.open(DBUS_TYPE_VARIANT, "i", [](Out& v) { v.i32(0); });
  out.open(DBUS_TYPE_ARRAY, "{sv}", [](Out&) {});
  return m;
}

DBusMessage* AtspiTree::state_changed(int id, const char* state, bool on) const {
  return signal(id, "org.a11y.atspi.Event.Object", "StateChanged", state, on ? 1 : 0, nullptr);
}

DBusMessage* AtspiTree::window_event(int id, const char* member) const {
  return signal(id, "org.a11y.atspi.Event.Window", member, "", 0, nullptr);
}

DBusMessage* AtspiTree::child_added(int parent_id, int child) const {
  return signal(parent_id, "org.a11y.atspi.Event.Object", "ChildrenChanged", "add",
                index_in_parent(child), [&](Out& v) { ref(v, child); });
}

}  // namespace zol::x11
