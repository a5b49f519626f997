// Keys and controller buttons work the menu the way the pointer does:
// lighting an entry is a move over the bare window, then one over the entry;
// acting is a click on it. Which entry is current is the form's to keep; the
// procedures keep nothing.

#include <algorithm>

#include "host/form.h"
#include "host/words.h"

namespace zol {

// The entries are the controls that take a click, in their row on the
// window from left to right.
void ZolForm::find_entries() {
  for (size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].on_click) entries_.push_back(static_cast<int>(i));
  std::stable_sort(entries_.begin(), entries_.end(),
                   [&](int a, int b) { return controls_[a].twips.x < controls_[b].twips.x; });
}

// A move over an entry makes it current; one over the bare window leaves
// none. Outside the client area (a grab) it changes nothing.
void ZolForm::note_pointer_target(int target) {
  if (target == kWindow) return set_current(kNoEntry);
  const auto at = std::find(entries_.begin(), entries_.end(), target);
  if (at != entries_.end()) set_current(static_cast<size_t>(at - entries_.begin()));
}

void ZolForm::navigate(Navigation step) {
  if (!loaded_) return;
  if (step == Navigation::Back) return close_requested();
  if (entries_.empty()) return;
  // With none current, any step only lights the first: a stray key never acts.
  if (current_ == kNoEntry) return light_entry(0);
  switch (step) {
    case Navigation::Previous:
      if (current_ > 0) light_entry(current_ - 1);
      break;
    case Navigation::Next:
      if (current_ + 1 < entries_.size()) light_entry(current_ + 1);
      break;
    case Navigation::Activate:
      controls_[entries_[current_]].on_click(*this);
      break;
    case Navigation::Back:
      break;
  }
}

void ZolForm::light_entry(size_t entry) {
  set_current(entry);
  if (form_on_move_) form_on_move_(*this);
  if (!loaded_) return;
  if (Procedure move = controls_[entries_[entry]].on_move) move(*this);
}

}  // namespace zol

namespace zol {

void ZolForm::set_current(size_t entry) {
  current_ = entry;
  accessible_.set_current(entry == kNoEntry ? std::nullopt : std::optional<size_t>(entry));
}

// The row's buttons take their words from the art's words file, left to
// right; an entry beyond its list (only in a table made for a test) has none.
void ZolForm::describe_entries() {
  const Words words = parse_words(
      {reinterpret_cast<const char*>(art::words.bytes.data()), art::words.bytes.size()},
      std::string(art::words.file));
  std::vector<AccessibleEntry> described;
  for (size_t i = 0; i < entries_.size(); ++i) {
    AccessibleEntry& e = described.emplace_back();
    if (i < words.buttons.size()) e = {words.buttons[i].name, words.buttons[i].description, {}};
  }
  accessible_ = AccessibleMenu({std::string(kCaption), words.window_description, words.language},
                               std::move(described));
}

}  // namespace zol
