#pragma once
// Writing and reading D-Bus message bodies through libdbus's iterators,
// with what libdbus would abort on (text that is not UTF-8) made safe.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/x11/dbus_library.h"

namespace zol::x11 {

// `text` with each byte that is not part of well-formed UTF-8 replaced by
// U+FFFD, and NUL dropped: libdbus refuses such strings.
std::string as_utf8(std::string_view text);

// Appends to a message, or to a container inside one.
class Out {
 public:
  Out(const DBusLibrary& dbus, DBusMessage* message);
  void str(std::string_view text);
  void path(const std::string& path);
  void i32(int32_t value);
  void u32(uint32_t value);
  void i16(int16_t value);
  void boolean(bool value);
  void real(double value);
  // (so): an object on the bus.
  void ref(const std::string& bus_name, const std::string& path);
  // A container of `type` (DBUS_TYPE_ARRAY, _STRUCT, _VARIANT, _DICT_ENTRY);
  // `signature` is the element's, or the variant's content; nullptr for structs.
  template <typename Body>
  void open(int type, const char* signature, Body body) {
    Out inner(dbus_);
    dbus_.dbus_message_iter_open_container(&it_, type, signature, &inner.it_);
    body(inner);
    dbus_.dbus_message_iter_close_container(&it_, &inner.it_);
  }

 private:
  explicit Out(const DBusLibrary& dbus) : dbus_(dbus) {}
  void basic(int type, const void* value);
  const DBusLibrary& dbus_;
  DBusMessageIter it_{};
};

// The arguments of a message whose signature has been checked.
class In {
 public:
  In(const DBusLibrary& dbus, DBusMessage* message);
  std::string str();
  int32_t i32();
  uint32_t u32();
  bool boolean();
  // Steps into a variant or container at the current argument.
  In inner();
  int type() const;  // DBUS_TYPE_INVALID past the end

 private:
  explicit In(const DBusLibrary& dbus) : dbus_(dbus) {}
  const DBusLibrary& dbus_;
  DBusMessageIter it_{};
  bool valid_ = false;
};

}  // namespace zol::x11
