#include "host/x11/xft_library.h"

#include <dlfcn.h>

#include <optional>
#include <type_traits>

namespace zol::x11 {

const XftLibrary* XftLibrary::load() {
  static const std::optional<XftLibrary> loaded = []() -> std::optional<XftLibrary> {
    void* lib = dlopen("libXft.so.2", RTLD_NOW | RTLD_LOCAL);
    if (!lib) return std::nullopt;
    XftLibrary x{};
    bool all = true;
    auto bind = [&](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
      all = all && fn;
    };
    bind(x.FontOpenName, "XftFontOpenName");
    bind(x.FontClose, "XftFontClose");
    bind(x.DrawCreate, "XftDrawCreate");
    bind(x.DrawDestroy, "XftDrawDestroy");
    bind(x.ColorAllocValue, "XftColorAllocValue");
    bind(x.ColorFree, "XftColorFree");
    bind(x.TextExtentsUtf8, "XftTextExtentsUtf8");
    bind(x.DrawStringUtf8, "XftDrawStringUtf8");
    if (all) return x;
    dlclose(lib);
    return std::nullopt;
  }();
  return loaded ? &*loaded : nullptr;
}

}  // namespace zol::x11
