#include "host/accessibility.h"

namespace zol {

bool AccessibleMenu::press(size_t entry) {
  if (entry >= entries_.size()) return false;
  if (!pressed_) pressed_ = entry;
  return true;
}

void AccessibleMenu::set_current(std::optional<size_t> now) {
  if (now == current_) return;
  const std::optional<size_t> before = std::exchange(current_, now);
  if (listener_) listener_->current_changed(before, now);
}

}  // namespace zol
