#pragma once
// Giving pages of the executable's read-only data back to the system.

#include <cstdint>
#include <span>

namespace zol {

// Unmaps the whole pages inside `bytes`, which must be data of the
// executable never written to: the next read of them maps the file's pages
// again, so nothing is lost; until then they count no more to the process.
void drop_pages(std::span<const uint8_t> bytes);

}  // namespace zol
