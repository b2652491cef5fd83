// Pictures saved as Windows bitmaps of 4 bits per pixel: a 16-colour
// palette and one palette index per pixel. The graph window saves its
// canvas so; the palette is the classic 16-colour one, which holds the
// graph's colours (black, green, red, yellow) exactly.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace helmax {

struct TRgb {
  std::uint8_t Red = 0, Green = 0, Blue = 0;
  friend bool operator==(const TRgb&, const TRgb&) = default;
};

using TPalette16 = std::array<TRgb, 16>;

// Black, maroon, green (0, 128, 0), olive, navy, purple, teal, silver,
// grey, red (255, 0, 0), lime, yellow (255, 255, 0), blue, fuchsia, aqua,
// white.
const TPalette16& StandardPalette16();

// The index of the palette colour nearest to colour (squared distance; the
// lowest index on ties).
int NearestColourIndex(const TPalette16& palette, TRgb colour);

// A picture of palette indices, row 0 at the top.
struct TIndexedPicture {
  int Width = 0, Height = 0;
  std::vector<std::uint8_t> Pixels;  // Width * Height indices 0..15, row by row
  TPalette16 Palette = StandardPalette16();
};

// The bytes of the ".bmp" file: BITMAPFILEHEADER, BITMAPINFOHEADER
// (40 bytes, 4 bits per pixel, uncompressed, 16 colours), the palette and
// the rows bottom-up, each padded to a multiple of 4 bytes, two pixels per
// byte (the left one in the high nibble). Empty when the picture is empty,
// too large or its pixels do not match its size.
std::string Bitmap4Bytes(const TIndexedPicture& picture);

// Writes the picture to path atomically; false with error set on failure.
bool WriteBitmap4(const std::string& path, const TIndexedPicture& picture, std::string& error);

}  // namespace helmax
