// Palette: the few colours every picture of the demo shares, so that the set reads as one.
//
// The demo's own accent is the orange (1.0, 0.38, 0.08) it uses for LEDs, dots and flashes;
// the pictures are black, white and that orange, with a cream for horns and a warm pink
// for muzzles, plus the greys between.
#pragma once

#include "Image.h"

namespace palette {

inline Colour orange(float a = 1.0f) { return Colour(1.0f, 0.38f, 0.08f, a); }
inline Colour ink(float a = 1.0f) { return Colour::hex(0x121214, a); }
inline Colour paper(float a = 1.0f) { return Colour(1.0f, 1.0f, 1.0f, a); }
inline Colour cream(float a = 1.0f) { return Colour::hex(0xF2E4CC, a); }
inline Colour muzzle(float a = 1.0f) { return Colour::hex(0xF5A88C, a); }
inline Colour smoke(float a = 1.0f) { return Colour::hex(0x2A2A30, a); }
inline Colour grey(float a = 1.0f) { return Colour::hex(0x8C8C90, a); }
inline Colour amber(float a = 1.0f) { return Colour::hex(0xFFB347, a); }

}  // namespace palette
