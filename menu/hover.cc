// Hover: a move over a hot zone lights its entry; a move over the bare
// background puts all four out. Flags are set unconditionally, and nothing
// remembers which entry is lit.

#include "menu/menu.h"

namespace zol::menu {
namespace {

void Form_MouseMove(ZolForm& form) {
  form.set_visible("Image1", false);
  form.set_visible("Image3", false);
  form.set_visible("Image7", false);
  form.set_visible("Image9", false);
}

void Image2_MouseMove(ZolForm& form) { form.set_visible("Image1", true); }
void Image4_MouseMove(ZolForm& form) { form.set_visible("Image3", true); }
void Image8_MouseMove(ZolForm& form) { form.set_visible("Image7", true); }
void Image10_MouseMove(ZolForm& form) { form.set_visible("Image9", true); }

constexpr DispatchRow kRows[] = {
    {kFormTarget, FormEvent::MouseMove, Form_MouseMove},
    {"Image2", FormEvent::MouseMove, Image2_MouseMove},
    {"Image4", FormEvent::MouseMove, Image4_MouseMove},
    {"Image8", FormEvent::MouseMove, Image8_MouseMove},
    {"Image10", FormEvent::MouseMove, Image10_MouseMove},
};

}  // namespace

std::span<const DispatchRow> hover_rows() { return kRows; }

}  // namespace zol::menu
