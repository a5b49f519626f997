// The method calls a screen reader makes on the tree's objects. A call is
// checked (object, interface, member, signature, range) before it is
// answered; whatever fails a check gets an error and changes nothing.

#include <cstring>
#include <string>

#include "host/x11/atspi_tree.h"
#include "host/x11/dbus_message.h"

namespace zol::x11 {
namespace {

constexpr char kUnknownObject[] = "org.freedesktop.DBus.Error.UnknownObject";
constexpr char kUnknownMethod[] = "org.freedesktop.DBus.Error.UnknownMethod";
constexpr char kInvalidArgs[] = "org.freedesktop.DBus.Error.InvalidArgs";

std::string role_name(uint32_t role) {
  switch (role) {
    case 2: return "alert";
    case 23: return "frame";
    case 29: return "label";
    case 43: return "push button";
    default: return "application";
  }
}

}  // namespace

DBusMessage* AtspiTree::error(DBusMessage* call, const char* name, const std::string& text) const {
  return dbus_.dbus_message_new_error(call, name, as_utf8(text).c_str());
}

DBusMessage* AtspiTree::answer(DBusMessage* call) {
  if (dbus_.dbus_message_get_no_reply(call)) return nullptr;
  const char* iface_c = dbus_.dbus_message_get_interface(call);
  const char* member_c = dbus_.dbus_message_get_member(call);
  const char* path = dbus_.dbus_message_get_path(call);
  const std::string iface = iface_c ? iface_c : "", member = member_c ? member_c : "";
  if (path && std::strcmp(path, "/org/a11y/atspi/cache") == 0 &&
      (iface.empty() || iface == "org.a11y.atspi.Cache") && member == "GetItems")
    return cache_items(call);
  const std::optional<int> id = id_of(path);
  if (!id) return error(call, kUnknownObject, "No such object");
  if (iface == "org.freedesktop.DBus.Properties") return properties(call, *id, member);
  if (iface == "org.a11y.atspi.Accessible") return accessible(call, *id, member);
  if (iface == "org.a11y.atspi.Component" && extents(*id, 1)) return component(call, *id, member);
  if (iface == "org.a11y.atspi.Action" && has_action(*id)) return action(call, *id, member);
  if (iface == "org.a11y.atspi.Application" && *id == kApp && member == "GetLocale") {
    if (std::strcmp(dbus_.dbus_message_get_signature(call), "u") != 0)
      return error(call, kInvalidArgs, "GetLocale takes (u)");
    DBusMessage* reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).str(menu_.window().language);
    return reply;
  }
  return error(call, kUnknownMethod, "No such method");
}

DBusMessage* AtspiTree::accessible(DBusMessage* call, int id, const std::string& member) {
  const std::string signature = dbus_.dbus_message_get_signature(call);
  if (member == "GetChildAtIndex") {
    if (signature != "i") return error(call, kInvalidArgs, "GetChildAtIndex takes (i)");
    const int32_t index = In(dbus_, call).i32();
    const std::vector<int> list = children(id);
    if (index < 0 || static_cast<size_t>(index) >= list.size())
      return error(call, kInvalidArgs, "No child at that index");
    DBusMessage* reply = dbus_.dbus_message_new_method_return(call);
    Out out(dbus_, reply);
    ref(out, list[static_cast<size_t>(index)]);
    return reply;
  }
  if (!signature.empty()) return error(call, kInvalidArgs, member + " takes no arguments");
  DBusMessage* reply = dbus_.dbus_message_new_method_return(call);
  Out out(dbus_, reply);
  if (member == "GetChildren") {
    out.open(DBUS_TYPE_ARRAY, "(so)", [&](Out& a) {
      for (int child : children(id)) ref(a, child);
    });
  } else if (member == "GetIndexInParent") {
    out.i32(index_in_parent(id));
  } else if (member == "GetRole") {
    out.u32(role(id));
  } else if (member == "GetRoleName" || member == "GetLocalizedRoleName") {
    out.str(role_name(role(id)));
  } else if (member == "GetState") {
    state_set(out, id);
  } else if (member == "GetAttributes") {
    out.open(DBUS_TYPE_ARRAY, "{ss}", [](Out&) {});
  } else if (member == "GetRelationSet") {
    out.open(DBUS_TYPE_ARRAY, "(ua(so))", [](Out&) {});
  } else if (member == "GetApplication") {
    ref(out, kApp);
  } else if (member == "GetInterfaces") {
    out.open(DBUS_TYPE_ARRAY, "s", [&](Out& a) {
      for (const char* name : interfaces(id)) a.str(name);
    });
  } else {
    dbus_.dbus_message_unref(reply);
    return error(call, kUnknownMethod, "No such method");
  }
  return reply;
}

DBusMessage* AtspiTree::component(DBusMessage* call, int id, const std::string& member) {
  const std::string signature = dbus_.dbus_message_get_signature(call);
  In in(dbus_, call);
  const auto wrong = [&] { return error(call, kInvalidArgs, member + ": wrong arguments"); };
  DBusMessage* reply = nullptr;
  if (member == "GetExtents" || member == "GetPosition") {
    if (signature != "u") return wrong();
    const uint32_t coords = in.u32();
    if (coords > 2) return error(call, kInvalidArgs, "No such coordinate type");
    const DeviceRect r = *extents(id, coords);
    reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).open(DBUS_TYPE_STRUCT, nullptr, [&](Out& s) {
      s.i32(r.x);
      s.i32(r.y);
      if (member == "GetExtents") {
        s.i32(r.w);
        s.i32(r.h);
      }
    });
  } else if (member == "GetSize" && signature.empty()) {
    const DeviceRect r = *extents(id, 1);
    reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).open(DBUS_TYPE_STRUCT, nullptr, [&](Out& s) {
      s.i32(r.w);
      s.i32(r.h);
    });
  } else if (member == "Contains" || member == "GetAccessibleAtPoint") {
    if (signature != "iiu") return wrong();
    const int32_t x = in.i32(), y = in.i32();
    const uint32_t coords = in.u32();
    if (coords > 2) return error(call, kInvalidArgs, "No such coordinate type");
    const DevicePoint p{x, y};
    reply = dbus_.dbus_message_new_method_return(call);
    Out out(dbus_, reply);
    if (member == "Contains") {
      out.boolean(extents(id, coords)->contains(p));
    } else {
      int hit = -1;
      for (int child : children(id))
        if (const auto r = extents(child, coords); r && r->contains(p)) hit = child;
      if (hit < 0) out.ref("", "/org/a11y/atspi/null");
      else ref(out, hit);
    }
  } else if (member == "GetLayer" && signature.empty()) {
    reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).u32(id == kFrame ? 7 : 3);  // a window; a widget
  } else if (member == "GetMDIZOrder" && signature.empty()) {
    reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).i16(0);
  } else if (member == "GrabFocus" && signature.empty()) {
    reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).boolean(false);
  } else if (member == "GetAlpha" && signature.empty()) {
    reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).real(1.0);
  } else {
    return error(call, kUnknownMethod, "No such method");
  }
  return reply;
}

DBusMessage* AtspiTree::action(DBusMessage* call, int id, const std::string& member) {
  const std::string signature = dbus_.dbus_message_get_signature(call);
  const std::string text = id == alert_ok() ? "" : description(id);
  DBusMessage* reply = nullptr;
  if (member == "GetActions" && signature.empty()) {
    reply = dbus_.dbus_message_new_method_return(call);
    Out(dbus_, reply).open(DBUS_TYPE_ARRAY, "(sss)", [&](Out& a) {
      a.open(DBUS_TYPE_STRUCT, nullptr, [&](Out& s) {
        s.str("click");
        s.str(text);
        s.str("");
      });
    });
    return reply;
  }
  static const char* const kIndexed[] = {"GetName", "GetLocalizedName", "GetDescription",
                                         "GetKeyBinding", "DoAction"};
  bool indexed = false;
  for (const char* m : kIndexed) indexed = indexed || member == m;
  if (!indexed) return error(call, kUnknownMethod, "No such method");
  if (signature != "i") return error(call, kInvalidArgs, member + " takes (i)");
  if (In(dbus_, call).i32() != 0) return error(call, kInvalidArgs, "There is one action, 0");
  reply = dbus_.dbus_message_new_method_return(call);
  Out out(dbus_, reply);
  if (member == "GetName" || member == "GetLocalizedName") {
    out.str("click");
  } else if (member == "GetDescription") {
    out.str(text);
  } else if (member == "GetKeyBinding") {
    out.str("");
  } else {
    // Done after this returns: the menu acts at its next idle.
    if (id == alert_ok()) dismissed_ = true;
    else menu_.press(*entry_of(id));
    out.boolean(true);
  }
  return reply;
}

DBusMessage* AtspiTree::cache_items(DBusMessage* call) {
  if (*dbus_.dbus_message_get_signature(call))
    return error(call, kInvalidArgs, "GetItems takes no arguments");
  DBusMessage* reply = dbus_.dbus_message_new_method_return(call);
  Out(dbus_, reply).open(DBUS_TYPE_ARRAY, "((so)(so)(so)iiassusau)", [&](Out& a) {
    for (int id = kApp; exists(id); ++id)
      a.open(DBUS_TYPE_STRUCT, nullptr, [&](Out& s) {
        ref(s, id);
        ref(s, kApp);
        ref(s, parent(id));
        s.i32(index_in_parent(id));
        s.i32(static_cast<int32_t>(children(id).size()));
        s.open(DBUS_TYPE_ARRAY, "s", [&](Out& l) {
          for (const char* name : interfaces(id)) l.str(name);
        });
        s.str(name(id));
        s.u32(role(id));
        s.str(description(id));
        state_set(s, id);
      });
  });
  return reply;
}

}  // namespace zol::x11
