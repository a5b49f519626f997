#pragma once
// ZolForm: the one window, its windowless picture controls, painting and the
// routing of pointer events to the menu's procedures. It knows the menu only
// through the two tables it is loaded from.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "art/art.h"
#include "host/accessibility.h"
#include "host/image.h"
#include "host/pictures.h"
#include "host/platform.h"
#include "host/units.h"

namespace zol {

class ZolForm;

// Event procedures take the form as their one context and use no arguments.
using Procedure = void (*)(ZolForm& form);

enum class FormEvent { MouseMove, Click };

// The dispatch table's name for the window itself.
inline constexpr std::string_view kFormTarget = "Form";

// One row of the layout table; the first row lies on top of all others.
struct ControlSpec {
  std::string_view name;
  TwipsRect rect;
  const art::Asset* picture;     // of the 1x set; nullptr: draws nothing, see-through
  const art::Asset* picture_2x;  // the same at twice the size, empty in a build without it
  bool visible;
};

struct DispatchRow {
  std::string_view target;  // a control's name or kFormTarget
  FormEvent event;
  Procedure procedure;
};

struct ImageControl {
  std::string name;
  TwipsRect twips;
  DeviceRect rect;                // at the form's DPI
  std::optional<Image> picture;   // device-size, rect.w x rect.h
  Image under;                    // the background beneath a picture, to put it out again
  bool visible = true;
  Procedure on_move = nullptr, on_click = nullptr;
  BmpView art, art_2x;            // the built-in pictures it is made from
};

class ZolForm : public EventSink {
 public:
  static constexpr std::string_view kCaption = "Orvenna";

  // Load: checks the artwork and builds the controls in table order,
  // hidden window, no procedure run. Throws ImageError for bad artwork.
  // The scene is the built-in one but for tests of a build without 2x.
  ZolForm(Platform& platform, std::span<const ControlSpec> layout,
          std::span<const DispatchRow> dispatch, const Scene& scene = built_in_scene());

  // Picks the DPI for the screen, makes the pictures at that size, composes
  // the first frame, then maps the window centred on the monitor.
  void show();
  void run();  // until unloaded

  // The context procedures work through.
  void set_visible(std::string_view name, bool visible);
  void unload();
  void start_program(const std::string& program, const std::vector<std::string>& args,
                     WindowState state);
  void open_address(const std::string& verb, const std::string& address, WindowState state);

  bool loaded() const { return loaded_; }
  int dpi() const { return dpi_; }
  const Framebuffer& frame() const { return frame_; }
  const ImageControl& control(std::string_view name) const;
  // The window and its entries as a screen reader sees them.
  AccessibleMenu& accessible() { return accessible_; }

  // EventSink
  void pointer(const PointerEvent& event) override;
  void close_requested() override;
  void navigate(Navigation step) override;
  void idle() override;
  bool running() const override { return loaded_; }
  void dpi_changed(const Screen& screen, DeviceRect suggested) override;
  DeviceSize window_size_at(const Screen& screen) const override;

 private:
  static constexpr int kNoTarget = -2, kWindow = -1;

  void build(int dpi);
  void release_art();
  void lay_background();
  void make_picture(ImageControl& c);
  void present_whole();
  void draw_pictures(DeviceRect area);
  void background_row(int x, int y, int count, uint32_t* out) const;
  int target_at(DevicePoint p) const;
  Procedure handler(int target, FormEvent event) const;
  ImageControl& find(std::string_view name);
  void mark_dirty(DeviceRect area);
  void compose(DeviceRect area);
  void find_entries();
  void note_pointer_target(int target);
  void light_entry(size_t entry);
  void set_current(size_t entry);
  void describe_entries();

  Platform& platform_;
  Scene scene_;
  std::vector<IconImage> icons_;
  std::vector<ImageControl> controls_;  // top of the stack first
  Procedure form_on_move_ = nullptr, form_on_click_ = nullptr;
  int dpi_ = 96;
  Framebuffer frame_;
  std::vector<DeviceRect> dirty_;
  int pressed_ = kNoTarget;
  // The keys' row: controls that take a click, left to right, and the one
  // the pointer or a key lit last (kNoEntry: none).
  static constexpr size_t kNoEntry = SIZE_MAX;
  std::vector<int> entries_;
  size_t current_ = kNoEntry;
  AccessibleMenu accessible_;
  bool loaded_ = true;
  bool window_created_ = false;
};

}  // namespace zol
