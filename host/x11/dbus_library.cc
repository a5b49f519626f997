#include "host/x11/dbus_library.h"

#include <dlfcn.h>

#include <optional>
#include <type_traits>

namespace zol::x11 {

const DBusLibrary* DBusLibrary::load() {
  static const std::optional<DBusLibrary> loaded = []() -> std::optional<DBusLibrary> {
    void* lib = dlopen("libdbus-1.so.3", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return std::nullopt;
    DBusLibrary d{};
    bool all = true;
    auto bind = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
      all = all && fn;
    };
#define ZOL_DBUS_BIND(name) bind(d.name, #name);
    ZOL_DBUS_FUNCTIONS(ZOL_DBUS_BIND)
#undef ZOL_DBUS_BIND
    if (all) return d;
    dlclose(lib);
    return std::nullopt;
  }();
  return loaded ? &*loaded : nullptr;
}

}  // namespace zol::x11
