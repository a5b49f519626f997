// Pages of the executable's built-in data leave the working set once read.

#include "host/win32/platform.h"

namespace zol::win32 {

void Win32Platform::release(std::span<const uint8_t> bytes) {
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const uintptr_t page = system.dwPageSize;
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(bytes.data()) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(bytes.data()) + bytes.size()) & ~(page - 1);
  // On pages never locked, VirtualUnlock takes them out of the working set
  // (and reports ERROR_NOT_LOCKED); the image's file brings them back when read.
  if (end > begin) VirtualUnlock(reinterpret_cast<void*>(begin), end - begin);
}

}  // namespace zol::win32
