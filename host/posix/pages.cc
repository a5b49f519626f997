#include "host/posix/pages.h"

#include <sys/mman.h>
#include <unistd.h>

namespace zol {

void drop_pages(std::span<const uint8_t> bytes) {
  static const uintptr_t page = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  const uintptr_t begin = (reinterpret_cast<uintptr_t>(bytes.data()) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(bytes.data()) + bytes.size()) & ~(page - 1);
  // Not POSIX_MADV_DONTNEED: glibc makes that a no-op. A failure leaves the
  // pages where they are, which is only a hint not taken.
  if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

}  // namespace zol
