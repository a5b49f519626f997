#include "host/x11/dbus_message.h"

namespace zol::x11 {

std::string as_utf8(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      if (b) out += static_cast<char>(b);
      ++i;
      continue;
    }
    const size_t more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC2 ? 1 : 0;
    bool ok = more > 0 && b < 0xF5 && i + more < s.size();
    uint32_t code = b & (0x3F >> more);
    for (size_t k = 1; ok && k <= more; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      ok = (c & 0xC0) == 0x80;
      code = code << 6 | (c & 0x3F);
    }
    constexpr uint32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    ok = ok && code >= kLeast[more] && code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
    if (ok) {
      out.append(s.substr(i, more + 1));
      i += more + 1;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

Out::Out(const DBusLibrary& dbus, DBusMessage* message) : dbus_(dbus) {
  dbus_.dbus_message_iter_init_append(message, &it_);
}

void Out::basic(int type, const void* value) { dbus_.dbus_message_iter_append_basic(&it_, type, value); }

void Out::str(std::string_view text) {
  const std::string safe = as_utf8(text);
  const char* p = safe.c_str();
  basic(DBUS_TYPE_STRING, &p);
}

void Out::path(const std::string& path) {
  const char* p = path.c_str();
  basic(DBUS_TYPE_OBJECT_PATH, &p);
}

void Out::i32(int32_t value) { basic(DBUS_TYPE_INT32, &value); }
void Out::u32(uint32_t value) { basic(DBUS_TYPE_UINT32, &value); }
void Out::i16(int16_t value) { basic(DBUS_TYPE_INT16, &value); }
void Out::real(double value) { basic(DBUS_TYPE_DOUBLE, &value); }
void Out::boolean(bool value) {
  const dbus_bool_t b = value;
  basic(DBUS_TYPE_BOOLEAN, &b);
}

void Out::ref(const std::string& bus_name, const std::string& object) {
  open(DBUS_TYPE_STRUCT, nullptr, [&](Out& s) {
    s.str(bus_name);
    s.path(object);
  });
}

In::In(const DBusLibrary& dbus, DBusMessage* message) : dbus_(dbus) {
  valid_ = dbus_.dbus_message_iter_init(message, &it_);
}

int In::type() const {
  if (!valid_) return DBUS_TYPE_INVALID;
  return dbus_.dbus_message_iter_get_arg_type(const_cast<DBusMessageIter*>(&it_));
}

std::string In::str() {
  if (type() != DBUS_TYPE_STRING) return {};
  const char* p = nullptr;
  dbus_.dbus_message_iter_get_basic(&it_, &p);
  dbus_.dbus_message_iter_next(&it_);
  return p ? p : "";
}

int32_t In::i32() {
  dbus_int32_t v = 0;
  if (type() != DBUS_TYPE_INT32) return v;
  dbus_.dbus_message_iter_get_basic(&it_, &v);
  dbus_.dbus_message_iter_next(&it_);
  return v;
}

uint32_t In::u32() {
  dbus_uint32_t v = 0;
  if (type() != DBUS_TYPE_UINT32) return v;
  dbus_.dbus_message_iter_get_basic(&it_, &v);
  dbus_.dbus_message_iter_next(&it_);
  return v;
}

bool In::boolean() {
  dbus_bool_t v = FALSE;
  if (type() != DBUS_TYPE_BOOLEAN) return v;
  dbus_.dbus_message_iter_get_basic(&it_, &v);
  dbus_.dbus_message_iter_next(&it_);
  return v;
}

In In::inner() {
  In in(dbus_);
  const int t = type();
  if (t == DBUS_TYPE_VARIANT || t == DBUS_TYPE_ARRAY || t == DBUS_TYPE_STRUCT ||
      t == DBUS_TYPE_DICT_ENTRY) {
    dbus_.dbus_message_iter_recurse(&it_, &in.it_);
    in.valid_ = true;
  }
  if (valid_) dbus_.dbus_message_iter_next(&it_);
  return in;
}

}  // namespace zol::x11
