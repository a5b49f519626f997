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
#include "host/image.h"
#include "host/platform.h"

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
  int16_t left, top, width, height;  // twips
  const art::Asset* picture;         // nullptr: draws nothing, see-through
  bool visible;
};

struct DispatchRow {
  std::string_view target;  // a control's name or kFormTarget
  FormEvent event;
  Procedure procedure;
};

struct ImageControl {
  std::string name;
  Rect rect;  // pixels
  std::optional<Image> picture;
  bool visible = true;
  Procedure on_move = nullptr, on_click = nullptr;
};

class ZolForm : public EventSink {
 public:
  static constexpr int kTwipsPerPixel = 15;
  static constexpr int32_t kClientWidthTwips = 9600, kClientHeightTwips = 7200;
  static constexpr std::string_view kCaption = "Orvenna";

  // Load: decodes the artwork and builds the controls in table order,
  // hidden window, no procedure run. Throws ImageError for bad artwork.
  ZolForm(Platform& platform, std::span<const ControlSpec> layout,
          std::span<const DispatchRow> dispatch);

  void show();  // composes the first frame, then maps the window centred
  void run();   // until unloaded

  // The context procedures work through.
  void set_visible(std::string_view name, bool visible);
  void unload();
  void start_program(const std::string& program, const std::vector<std::string>& args,
                     int show_hint);
  void open_address(const std::string& verb, const std::string& address, int show_command);

  bool loaded() const { return loaded_; }
  const Framebuffer& frame() const { return frame_; }
  const ImageControl& control(std::string_view name) const;

  // EventSink
  void pointer(const PointerEvent& event) override;
  void close_requested() override;
  void idle() override;
  bool running() const override { return loaded_; }

 private:
  static constexpr int kNoTarget = -2, kWindow = -1;

  int target_at(int x, int y) const;
  Procedure handler(int target, FormEvent event) const;
  ImageControl& find(std::string_view name);
  void mark_dirty(Rect area);
  void compose(Rect area);

  Platform& platform_;
  // Read from the built-in bytes: the framebuffer is the one decoded copy.
  BmpView background_;
  std::vector<IconImage> icons_;
  std::vector<ImageControl> controls_;  // top of the stack first
  Procedure form_on_move_ = nullptr, form_on_click_ = nullptr;
  Framebuffer frame_;
  std::vector<Rect> dirty_;
  int pressed_ = kNoTarget;
  bool loaded_ = true;
  bool window_created_ = false;
};

}  // namespace zol
