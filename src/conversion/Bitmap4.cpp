#include "Bitmap4.h"

#include "TextFile.h"

namespace helmax {

namespace {

constexpr std::uint32_t kFileHeaderBytes = 14;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kPaletteBytes = 16 * 4;
// A picture beyond this side is refused (the file's sizes are 32-bit).
constexpr int kMaxSide = 32768;

void Put16(std::string& out, std::uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void Put32(std::string& out, std::uint32_t v) {
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((v >> shift) & 0xFF);
}

}  // namespace

const TPalette16& StandardPalette16() {
  static const TPalette16 palette = {{{0, 0, 0},
                                      {128, 0, 0},
                                      {0, 128, 0},
                                      {128, 128, 0},
                                      {0, 0, 128},
                                      {128, 0, 128},
                                      {0, 128, 128},
                                      {192, 192, 192},
                                      {128, 128, 128},
                                      {255, 0, 0},
                                      {0, 255, 0},
                                      {255, 255, 0},
                                      {0, 0, 255},
                                      {255, 0, 255},
                                      {0, 255, 255},
                                      {255, 255, 255}}};
  return palette;
}

int NearestColourIndex(const TPalette16& palette, TRgb colour) {
  int best = 0;
  long bestDistance = -1;
  for (int i = 0; i < 16; ++i) {
    const TRgb& p = palette[static_cast<std::size_t>(i)];
    const long dr = long{p.Red} - colour.Red, dg = long{p.Green} - colour.Green, db = long{p.Blue} - colour.Blue;
    const long distance = dr * dr + dg * dg + db * db;
    if (bestDistance < 0 || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

std::string Bitmap4Bytes(const TIndexedPicture& picture) {
  const int w = picture.Width, h = picture.Height;
  if (w <= 0 || h <= 0 || w > kMaxSide || h > kMaxSide ||
      picture.Pixels.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h))
    return {};
  const std::uint32_t rowBytes = ((static_cast<std::uint32_t>(w) + 1) / 2 + 3) / 4 * 4;
  const std::uint32_t imageBytes = rowBytes * static_cast<std::uint32_t>(h);
  const std::uint32_t offset = kFileHeaderBytes + kInfoHeaderBytes + kPaletteBytes;
  std::string out;
  out.reserve(offset + imageBytes);
  // BITMAPFILEHEADER
  out += "BM";
  Put32(out, offset + imageBytes);
  Put32(out, 0);  // reserved
  Put32(out, offset);
  // BITMAPINFOHEADER
  Put32(out, kInfoHeaderBytes);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(h));  // positive: rows bottom-up
  Put16(out, 1);                              // planes
  Put16(out, 4);                              // bits per pixel
  Put32(out, 0);                              // BI_RGB, uncompressed
  Put32(out, imageBytes);
  Put32(out, 3780);  // 96 dots per inch, in pixels per metre
  Put32(out, 3780);
  Put32(out, 16);  // colours used
  Put32(out, 0);   // all important
  for (const TRgb& c : picture.Palette) {
    out += static_cast<char>(c.Blue);
    out += static_cast<char>(c.Green);
    out += static_cast<char>(c.Red);
    out += '\0';
  }
  std::string row(rowBytes, '\0');
  for (int y = h - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), '\0');
    const std::uint8_t* line = &picture.Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(w)];
    for (int x = 0; x < w; ++x) {
      const unsigned index = line[x] & 0x0Fu;
      char& byte = row[static_cast<std::size_t>(x / 2)];
      byte = static_cast<char>(static_cast<unsigned char>(byte) | (x % 2 == 0 ? index << 4 : index));
    }
    out += row;
  }
  return out;
}

bool WriteBitmap4(const std::string& path, const TIndexedPicture& picture, std::string& error) {
  const std::string bytes = Bitmap4Bytes(picture);
  if (bytes.empty()) {
    error = "Cannot save an empty picture";
    return false;
  }
  return WriteFileAtomic(path, bytes, error);
}

}  // namespace helmax
