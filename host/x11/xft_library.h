#pragma once
// Xft, and with it fontconfig, FreeType and their libraries, is loaded only
// when a message is shown: linked, they would slow every start of the menu
// and add to its memory, for a message it seldom shows.

#include <X11/Xft/Xft.h>

namespace zol::x11 {

struct XftLibrary {
  decltype(&XftFontOpenName) FontOpenName;
  decltype(&XftFontClose) FontClose;
  decltype(&XftDrawCreate) DrawCreate;
  decltype(&XftDrawDestroy) DrawDestroy;
  decltype(&XftColorAllocValue) ColorAllocValue;
  decltype(&XftColorFree) ColorFree;
  decltype(&XftTextExtentsUtf8) TextExtentsUtf8;
  decltype(&XftDrawStringUtf8) DrawStringUtf8;

  // Loaded on the first call and kept; nullptr when it can't be loaded.
  static const XftLibrary* load();
};

}  // namespace zol::x11
