#include "host/form.h"

#include <algorithm>
#include <stdexcept>

namespace zol {
namespace {

constexpr int kPrimaryButton = 1;

int to_pixels(int32_t twips, std::string_view what) {
  if (twips % ZolForm::kTwipsPerPixel != 0)
    throw std::logic_error(std::string(what) + ": " + std::to_string(twips) +
                           " twips is not a whole pixel");
  return twips / ZolForm::kTwipsPerPixel;
}

Rect intersect(Rect a, Rect b) {
  const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
  const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
  return x1 > x0 && y1 > y0 ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect{};
}

bool covers(Rect outer, Rect inner) { return intersect(outer, inner) == inner; }

}  // namespace

ZolForm::ZolForm(Platform& platform, std::span<const ControlSpec> layout,
                 std::span<const DispatchRow> dispatch)
    : platform_(platform) {
  const int width = to_pixels(kClientWidthTwips, "ZolForm"),
            height = to_pixels(kClientHeightTwips, "ZolForm");
  background_ = BmpView(art::background.bytes, art::background.file, width, height);
  icons_ = decode_ico(art::icon.bytes, art::icon.file);
  for (const ControlSpec& spec : layout) {
    ImageControl& c = controls_.emplace_back();
    c.name = spec.name;
    c.rect = {to_pixels(spec.left, spec.name), to_pixels(spec.top, spec.name),
              to_pixels(spec.width, spec.name), to_pixels(spec.height, spec.name)};
    if (spec.picture)
      c.picture = decode_bmp(spec.picture->bytes, spec.picture->file, c.rect.w, c.rect.h);
    c.visible = spec.visible;
  }
  for (const DispatchRow& row : dispatch) {
    Procedure& slot = row.target == kFormTarget
                          ? (row.event == FormEvent::Click ? form_on_click_ : form_on_move_)
                          : (row.event == FormEvent::Click ? find(row.target).on_click
                                                           : find(row.target).on_move);
    slot = row.procedure;
  }
  frame_ = {width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
}

void ZolForm::show() {
  platform_.create_window({frame_.width, frame_.height, std::string(kCaption), icons_});
  window_created_ = true;
  const Rect whole{0, 0, frame_.width, frame_.height};
  compose(whole);
  platform_.present(frame_, std::span(&whole, 1));
  platform_.show_window();
}

void ZolForm::run() {
  if (loaded_) platform_.run(*this);
}

void ZolForm::set_visible(std::string_view name, bool visible) {
  ImageControl& c = find(name);
  if (c.visible == visible) return;
  c.visible = visible;
  if (c.picture) mark_dirty(c.rect);
}

void ZolForm::unload() {
  if (!loaded_) return;
  loaded_ = false;
  dirty_.clear();
  if (window_created_) platform_.destroy_window();
}

void ZolForm::start_program(const std::string& program, const std::vector<std::string>& args,
                            int show_hint) {
  platform_.start_program(program, args, show_hint);
}

void ZolForm::open_address(const std::string& verb, const std::string& address,
                           int show_command) {
  platform_.open_address(verb, address, show_command);
}

const ImageControl& ZolForm::control(std::string_view name) const {
  return const_cast<ZolForm*>(this)->find(name);
}

ImageControl& ZolForm::find(std::string_view name) {
  for (ImageControl& c : controls_)
    if (c.name == name) return c;
  throw std::logic_error("ZolForm has no control named " + std::string(name));
}

// Topmost visible control under the point, else the window itself; outside
// the client area (a grabbed pointer) nothing is the target.
int ZolForm::target_at(int x, int y) const {
  if (!Rect{0, 0, frame_.width, frame_.height}.contains(x, y)) return kNoTarget;
  for (size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].visible && controls_[i].rect.contains(x, y)) return static_cast<int>(i);
  return kWindow;
}

Procedure ZolForm::handler(int target, FormEvent event) const {
  if (target == kNoTarget) return nullptr;
  const bool click = event == FormEvent::Click;
  if (target == kWindow) return click ? form_on_click_ : form_on_move_;
  return click ? controls_[target].on_click : controls_[target].on_move;
}

void ZolForm::pointer(const PointerEvent& event) {
  if (!loaded_) return;
  const int target = target_at(event.x, event.y);
  Procedure procedure = nullptr;
  switch (event.kind) {
    case PointerEvent::Kind::Move:
      procedure = handler(target, FormEvent::MouseMove);
      break;
    case PointerEvent::Kind::Press:
      if (event.button == kPrimaryButton) pressed_ = target;
      break;
    case PointerEvent::Kind::Release:
      if (event.button != kPrimaryButton) break;
      if (target == pressed_) procedure = handler(target, FormEvent::Click);
      pressed_ = kNoTarget;
      break;
  }
  if (procedure) procedure(*this);
}

void ZolForm::close_requested() { unload(); }

void ZolForm::idle() {
  if (!loaded_ || dirty_.empty()) return;
  for (const Rect& area : dirty_) compose(area);
  platform_.present(frame_, dirty_);
  dirty_.clear();
}

void ZolForm::mark_dirty(Rect area) {
  area = intersect(area, {0, 0, frame_.width, frame_.height});
  if (area.empty()) return;
  for (const Rect& d : dirty_)
    if (covers(d, area)) return;
  std::erase_if(dirty_, [&](const Rect& d) { return covers(area, d); });
  dirty_.push_back(area);
}

// Background first, then each visible picture from the bottom of the stack up.
void ZolForm::compose(Rect area) {
  for (int y = area.y; y < area.y + area.h; ++y)
    background_.read_row(area.x, y, area.w,
                         &frame_.pixels[static_cast<size_t>(y) * frame_.width + area.x]);
  for (auto c = controls_.rbegin(); c != controls_.rend(); ++c) {
    if (!c->visible || !c->picture) continue;
    const Rect part = intersect(area, c->rect);
    for (int y = part.y; y < part.y + part.h; ++y)
      std::copy_n(&c->picture->pixels[static_cast<size_t>(y - c->rect.y) * c->rect.w +
                                      (part.x - c->rect.x)],
                  part.w, &frame_.pixels[static_cast<size_t>(y) * frame_.width + part.x]);
  }
}

}  // namespace zol
