#pragma once
// What the floor and the peer show: the menu's window and its four buttons.

#include "art/art.h"

namespace bench {

constexpr int kWidth = 640, kHeight = 480, kButtonWidth = 119, kButtonHeight = 26;

struct Button {
  int x, y;
  const zol::art::Asset& lit;
};

inline const Button kButtons[] = {
    {59, 408, zol::art::lit_vollbildmodus},
    {193, 408, zol::art::lit_fenstermodus},
    {328, 408, zol::art::lit_website},
    {464, 408, zol::art::lit_raus_hier},
};

}  // namespace bench
