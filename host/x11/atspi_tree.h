#pragma once
// The menu as AT-SPI objects: the application, its frame, the row's push
// buttons and, while it is up, the failure message as an alert. Answers
// each method call a screen reader makes on them, and anything else with a
// D-Bus error that changes nothing.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/accessibility.h"
#include "host/x11/dbus_library.h"

namespace zol::x11 {

class Out;

class AtspiTree {
 public:
  // `window` gives the client area on the screen, empty while there is none.
  AtspiTree(const DBusLibrary& dbus, AccessibleMenu& menu, std::function<DeviceRect()> window);

  void set_bus_name(std::string name) { bus_name_ = std::move(name); }
  // The reply to `call`, a method call; nullptr when none is to be sent.
  DBusMessage* answer(DBusMessage* call);

  void set_active(bool active) { active_ = active; }
  void show_alert(const std::string& text) { alert_ = text; }
  // True once a screen reader has pressed the alert's OK.
  bool alert_dismissed() const { return dismissed_; }

  // The objects, by number: 0 is the application.
  static constexpr int kApp = 0, kFrame = 1, kFirstButton = 2;
  int alert() const { return kFirstButton + static_cast<int>(menu_.entries().size()); }
  int alert_text() const { return alert() + 1; }
  int alert_ok() const { return alert() + 2; }
  int button(size_t entry) const { return kFirstButton + static_cast<int>(entry); }
  static std::string path_of(int id);

  // Signals; nullptr when the object is not there.
  DBusMessage* state_changed(int id, const char* state, bool on) const;
  DBusMessage* window_event(int id, const char* member) const;
  DBusMessage* child_added(int parent, int child) const;

 private:
  std::optional<int> id_of(const char* path) const;
  bool exists(int id) const;
  int parent(int id) const;
  std::vector<int> children(int id) const;
  int index_in_parent(int id) const;
  uint32_t role(int id) const;
  std::string name(int id) const;
  std::string description(int id) const;
  std::vector<uint32_t> states(int id) const;
  std::vector<const char*> interfaces(int id) const;
  std::optional<DeviceRect> extents(int id, uint32_t coords) const;
  std::optional<size_t> entry_of(int id) const;
  bool has_action(int id) const { return entry_of(id) || id == alert_ok(); }

  void ref(Out& out, int id) const;
  void property(Out& out, const std::string& iface, const std::string& name, int id, bool& found) const;
  void all_properties(Out& out, const std::string& iface, int id) const;
  void state_set(Out& out, int id) const;
  DBusMessage* accessible(DBusMessage* call, int id, const std::string& member);
  DBusMessage* component(DBusMessage* call, int id, const std::string& member);
  DBusMessage* action(DBusMessage* call, int id, const std::string& member);
  DBusMessage* properties(DBusMessage* call, int id, const std::string& member);
  DBusMessage* cache_items(DBusMessage* call);
  DBusMessage* error(DBusMessage* call, const char* name, const std::string& text) const;
  DBusMessage* signal(int id, const char* iface, const char* member, const char* detail,
                      int detail1, const std::function<void(Out&)>& any) const;

  const DBusLibrary& dbus_;
  AccessibleMenu& menu_;
  std::function<DeviceRect()> window_;
  std::string bus_name_;
  bool active_ = false;
  std::optional<std::string> alert_;
  bool dismissed_ = false;
  int32_t app_id_ = 0;
};

}  // namespace zol::x11
