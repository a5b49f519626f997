// org.freedesktop.DBus.Properties on the tree's objects: the properties of
// Accessible, Application and Action, read; the Id the registry gives the
// application, written.

#include <iterator>
#include <string>
#include <vector>

#include "host/x11/atspi_tree.h"
#include "host/x11/dbus_message.h"

namespace zol::x11 {
namespace {

constexpr char kAccessible[] = "org.a11y.atspi.Accessible";
constexpr char kApplication[] = "org.a11y.atspi.Application";
constexpr char kAction[] = "org.a11y.atspi.Action";

const char* const kAccessibleNames[] = {"Name",   "Description", "Parent",  "ChildCount",
                                        "Locale", "AccessibleId", "HelpText"};
const char* const kApplicationNames[] = {"ToolkitName", "Version", "AtspiVersion", "Id"};

}  // namespace

// Writes the property as a variant into `out`; `found` false when there is none.
void AtspiTree::property(Out& out, const std::string& iface, const std::string& prop, int id,
                         bool& found) const {
  found = true;
  const auto text = [&](const std::string& value) {
    out.open(DBUS_TYPE_VARIANT, "s", [&](Out& v) { v.str(value); });
  };
  const auto number = [&](int32_t value) {
    out.open(DBUS_TYPE_VARIANT, "i", [&](Out& v) { v.i32(value); });
  };
  if (iface == kAccessible) {
    if (prop == "Name") return text(name(id));
    if (prop == "Description") return text(description(id));
    if (prop == "Locale") return text(menu_.window().language);
    if (prop == "AccessibleId" || prop == "HelpText") return text("");
    if (prop == "ChildCount") return number(static_cast<int32_t>(children(id).size()));
    if (prop == "Parent")
      return out.open(DBUS_TYPE_VARIANT, "(so)", [&](Out& v) { ref(v, parent(id)); });
  } else if (iface == kApplication && id == kApp) {
    if (prop == "ToolkitName") return text("Zol");
    if (prop == "Version") return text("1.0");
    if (prop == "AtspiVersion") return text("2.1");
    if (prop == "Id") return number(app_id_);
  } else if (iface == kAction && has_action(id)) {
    if (prop == "NActions") return number(1);
  }
  found = false;
}

void AtspiTree::all_properties(Out& out, const std::string& iface, int id) const {
  std::vector<const char*> names;
  if (iface == kAccessible) names.assign(std::begin(kAccessibleNames), std::end(kAccessibleNames));
  if (iface == kApplication)
    names.assign(std::begin(kApplicationNames), std::end(kApplicationNames));
  if (iface == kAction) names = {"NActions"};
  out.open(DBUS_TYPE_ARRAY, "{sv}", [&](Out& a) {
    for (const char* prop : names) {
      a.open(DBUS_TYPE_DICT_ENTRY, nullptr, [&](Out& e) {
        e.str(prop);
        bool found = false;
        property(e, iface, prop, id, found);
      });
    }
  });
}

DBusMessage* AtspiTree::properties(DBusMessage* call, int id, const std::string& member) {
  const std::string signature = dbus_.dbus_message_get_signature(call);
  In in(dbus_, call);
  if (member == "Get" && signature == "ss") {
    const std::string iface = in.str(), prop = in.str();
    DBusMessage* reply = dbus_.dbus_message_new_method_return(call);
    Out out(dbus_, reply);
    bool found = false;
    property(out, iface, prop, id, found);
    if (found) return reply;
    dbus_.dbus_message_unref(reply);
    return error(call, "org.freedesktop.DBus.Error.UnknownProperty", "No such property");
  }
  if (member == "GetAll" && signature == "s") {
    const std::string iface = in.str();
    DBusMessage* reply = dbus_.dbus_message_new_method_return(call);
    Out out(dbus_, reply);
    bool has = iface == kAccessible || (iface == kApplication && id == kApp) ||
               (iface == kAction && has_action(id));
    all_properties(out, has ? iface : "", id);
    return reply;
  }
  if (member == "Set" && signature == "ssv") {
    const std::string iface = in.str(), prop = in.str();
    In value = in.inner();
    if (iface == kApplication && id == kApp && prop == "Id" && value.type() == DBUS_TYPE_INT32) {
      app_id_ = value.i32();
      return dbus_.dbus_message_new_method_return(call);
    }
    return error(call, "org.freedesktop.DBus.Error.PropertyReadOnly", "Read-only property");
  }
  if (member == "Get" || member == "GetAll" || member == "Set")
    return error(call, "org.freedesktop.DBus.Error.InvalidArgs", member + ": wrong arguments");
  return error(call, "org.freedesktop.DBus.Error.UnknownMethod", "No such method");
}

}  // namespace zol::x11
