#pragma once
// The X server's own bitmap fonts, for the failure message where Xft can't
// draw it: no X here, so that tests can offer any list of fonts.

#include <span>
#include <string>

namespace zol::x11 {

// What the server is asked to list: the "fixed" family of any foundry (misc
// and sony make it), in Latin-1.
inline constexpr char kFixedFonts[] = "-*-fixed-medium-r-*--*-*-*-*-c-*-iso8859-1";

// Of `names` (XLFD names as XListFonts gives them), the largest font whose
// pixel size is at most `pixels`, and the narrowest of those; when none is
// that small, the smallest. Bitmaps only: a scalable name (size or width 0,
// or an instance the server scaled) would be a blurred bitmap. Empty when
// there is none.
std::string core_font_for(std::span<const std::string> names, int pixels);

}  // namespace zol::x11
