#include "host/form.h"

#include <algorithm>
#include <stdexcept>

#include "host/pictures.h"
#include "host/scale.h"

namespace zol {
namespace {

constexpr int kPrimaryButton = 1;

bool covers(DeviceRect outer, DeviceRect inner) { return intersect(outer, inner) == inner; }

}  // namespace

ZolForm::ZolForm(Platform& platform, std::span<const ControlSpec> layout,
                 std::span<const DispatchRow> dispatch, const Scene& scene)
    : platform_(platform), scene_(scene) {
  icons_ = decode_ico(art::icon.bytes, art::icon.file);
  for (const ControlSpec& spec : layout) {
    ImageControl& c = controls_.emplace_back();
    c.name = spec.name;
    c.twips = spec.rect;
    c.visible = spec.visible;
    if (!spec.picture) continue;
    const TwipsRect r = spec.rect;
    if (r.x < 0 || r.y < 0 || r.x + r.w > kClientTwips.w || r.y + r.h > kClientTwips.h)
      throw std::logic_error(c.name + ": a picture must lie inside the window");
    c.art = view_of(*spec.picture, art_rect(spec.rect, spec.name, 1).size());
    if (!scene_.has_2x()) continue;
    if (!spec.picture_2x) throw std::logic_error(c.name + " has no picture of the 2x set");
    c.art_2x = view_of(*spec.picture_2x, art_rect(spec.rect, spec.name, 2).size());
  }
  for (const DispatchRow& row : dispatch) {
    Procedure& slot = row.target == kFormTarget
                          ? (row.event == FormEvent::Click ? form_on_click_ : form_on_move_)
                          : (row.event == FormEvent::Click ? find(row.target).on_click
                                                           : find(row.target).on_move);
    slot = row.procedure;
  }
  find_entries();
  describe_entries();
  release_art();
}

void ZolForm::show() {
  const Screen screen = platform_.screen();
  build(pick_dpi(screen.dpi, screen.monitor));
  platform_.create_window({centred(screen.monitor, {frame_.width, frame_.height}), dpi_,
                           std::string(kCaption), icons_});
  window_created_ = true;
  present_whole();
  platform_.show_window();
  platform_.describe(accessible_);
}

// Geometry and pictures at `dpi`, made once: the pictures from the set
// nearest in size, as they are where it fits the window exactly.
void ZolForm::build(int dpi) {
  dpi_ = dpi;
  const DeviceSize size = window_size(dpi);
  frame_.width = size.w;
  frame_.height = size.h;
  for (ImageControl& c : controls_) c.rect = to_device(c.twips, dpi);
  for (size_t i = 0; i < entries_.size(); ++i) accessible_.set_rect(i, controls_[entries_[i]].rect);
  lay_background();
  for (ImageControl& c : controls_) make_picture(c);
  release_art();
}

// The art is read when it is checked and when the pictures are made at the
// device size, and not again unless the DPI changes.
void ZolForm::release_art() {
  std::vector<const BmpView*> art{&scene_.once, &scene_.twice};
  for (const ImageControl& c : controls_) art.insert(art.end(), {&c.art, &c.art_2x});
  for (const BmpView* view : art)
    if (view->width() > 0) platform_.release(view->bytes());
}

// The background straight into the framebuffer, the one copy of it at the
// device size: only what lies beneath a picture is kept aside as well.
void ZolForm::lay_background() {
  zol::lay_background(scene_, dpi_, frame_,
                      [this](std::span<const uint8_t> bytes) { platform_.release(bytes); });
  for (ImageControl& c : controls_) {
    c.under = {};
    if (c.art.width() == 0) continue;
    c.under = {c.rect.w, c.rect.h, {}};
    for (int y = c.rect.y; y < c.rect.y + c.rect.h; ++y) {
      const auto row = frame_.pixels.begin() + static_cast<ptrdiff_t>(y) * frame_.width + c.rect.x;
      c.under.pixels.insert(c.under.pixels.end(), row, row + c.rect.w);
    }
  }
}

void ZolForm::make_picture(ImageControl& c) {
  c.picture.reset();
  if (c.art.width() == 0) return;
  c.picture = lit_picture(scene_, c.art, c.art_2x, c.twips, c.name, dpi_,
                          {frame_.width, frame_.height}, c.rect);
}

// The frame freshly built holds the background: the pictures go over it.
void ZolForm::present_whole() {
  const DeviceRect whole{0, 0, frame_.width, frame_.height};
  draw_pictures(whole);
  platform_.present(frame_, std::span(&whole, 1));
}

void ZolForm::dpi_changed(const Screen& screen, DeviceRect suggested) {
  if (!loaded_ || !window_created_) return;
  build(pick_dpi(screen.dpi, screen.monitor));
  dirty_.clear();
  platform_.place_window(
      moved_onto(screen.monitor, {suggested.x, suggested.y, frame_.width, frame_.height}));
  present_whole();
}

DeviceSize ZolForm::window_size_at(const Screen& screen) const {
  return window_size(pick_dpi(screen.dpi, screen.monitor));
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
                            WindowState state) {
  platform_.start_program(program, args, state);
}

void ZolForm::open_address(const std::string& verb, const std::string& address,
                           WindowState state) {
  platform_.open_address(verb, address, state);
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
int ZolForm::target_at(DevicePoint p) const {
  if (!DeviceRect{0, 0, frame_.width, frame_.height}.contains(p)) return kNoTarget;
  for (size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].visible && controls_[i].rect.contains(p)) return static_cast<int>(i);
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
  const int target = target_at(event.at);
  Procedure procedure = nullptr;
  switch (event.kind) {
    case PointerEvent::Kind::Move:
      procedure = handler(target, FormEvent::MouseMove);
      note_pointer_target(target);
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
  if (!loaded_) return;
  // A screen reader's press, made while the platform was busy with it.
  if (const std::optional<size_t> entry = accessible_.take_press())
    controls_[entries_[*entry]].on_click(*this);
  if (!loaded_ || dirty_.empty()) return;
  for (const DeviceRect& area : dirty_) compose(area);
  platform_.present(frame_, dirty_);
  dirty_.clear();
}

void ZolForm::mark_dirty(DeviceRect area) {
  area = intersect(area, {0, 0, frame_.width, frame_.height});
  if (area.empty()) return;
  for (const DeviceRect& d : dirty_)
    if (covers(d, area)) return;
  std::erase_if(dirty_, [&](const DeviceRect& d) { return covers(area, d); });
  dirty_.push_back(area);
}

// Only what lies beneath a picture ever changes, so the background kept
// aside there is all that is read back.
void ZolForm::background_row(int x, int y, int count, uint32_t* out) const {
  for (const ImageControl& c : controls_)
    if (!c.under.pixels.empty() && c.rect.contains({x, y}) && x + count <= c.rect.x + c.rect.w) {
      std::copy_n(&c.under.pixels[static_cast<size_t>(y - c.rect.y) * c.rect.w + (x - c.rect.x)],
                  count, out);
      return;
    }
  throw std::logic_error("ZolForm keeps no background at " + std::to_string(x) + "," +
                         std::to_string(y));
}

// Background first, then each visible picture from the bottom of the stack up.
void ZolForm::compose(DeviceRect area) {
  for (int y = area.y; y < area.y + area.h; ++y)
    background_row(area.x, y, area.w, &frame_.pixels[static_cast<size_t>(y) * frame_.width + area.x]);
  draw_pictures(area);
}

void ZolForm::draw_pictures(DeviceRect area) {
  for (auto c = controls_.rbegin(); c != controls_.rend(); ++c) {
    if (!c->visible || !c->picture) continue;
    const DeviceRect part = intersect(area, c->rect);
    for (int y = part.y; y < part.y + part.h; ++y)
      std::copy_n(&c->picture->pixels[static_cast<size_t>(y - c->rect.y) * c->rect.w +
                                      (part.x - c->rect.x)],
                  part.w, &frame_.pixels[static_cast<size_t>(y) * frame_.width + part.x]);
  }
}

}  // namespace zol
