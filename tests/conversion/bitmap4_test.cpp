// The 4-bit bitmap writer, read back by a reader of the file format written
// here from the format's description (not from the writer).
#include <gtest/gtest.h>

#include <cstdint>

#include "../common/TempFolder.h"
#include "Bitmap4.h"

namespace helmax {
namespace {

// A reader of uncompressed 4-bit ".bmp" files.
struct TReadBitmap {
  std::string Bytes;
  std::uint32_t U32(std::size_t at) const {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(Bytes.at(at + static_cast<std::size_t>(i)));
    return v;
  }
  std::uint16_t U16(std::size_t at) const {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(Bytes.at(at)) |
                                      (static_cast<unsigned char>(Bytes.at(at + 1)) << 8));
  }
  int Width() const { return static_cast<int>(U32(18)); }
  int Height() const { return static_cast<int>(U32(22)); }
  TRgb Colour(int index) const {
    const std::size_t at = 14 + U32(14) + static_cast<std::size_t>(index) * 4;  // B, G, R, 0
    return {static_cast<std::uint8_t>(Bytes.at(at + 2)), static_cast<std::uint8_t>(Bytes.at(at + 1)),
            static_cast<std::uint8_t>(Bytes.at(at))};
  }
  // The palette index at (x, y), y = 0 the top row; rows are stored
  // bottom-up, padded to 4 bytes, the left pixel in the high nibble.
  int Pixel(int x, int y) const {
    const std::size_t stride = (static_cast<std::size_t>(Width()) * 4 + 31) / 32 * 4;
    const std::size_t row = static_cast<std::size_t>(Height() - 1 - y);
    const unsigned char byte =
        static_cast<unsigned char>(Bytes.at(U32(10) + row * stride + static_cast<std::size_t>(x) / 2));
    return x % 2 == 0 ? byte >> 4 : byte & 0x0F;
  }
};

TIndexedPicture Stripes(int width, int height) {
  TIndexedPicture p;
  p.Width = width;
  p.Height = height;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) p.Pixels.push_back(static_cast<std::uint8_t>((x + 3 * y) % 16));
  return p;
}

TEST(Bitmap4, HeaderPaletteAndPixelsReadBack) {
  test::TTempFolder dir;
  const TIndexedPicture picture = Stripes(7, 3);  // an odd width: a half byte and padding per row
  std::string error;
  ASSERT_TRUE(WriteBitmap4(dir.File("p.bmp"), picture, error)) << error;
  const TReadBitmap bmp{test::ReadBytes(dir.File("p.bmp"))};
  ASSERT_EQ(bmp.Bytes.substr(0, 2), "BM");
  EXPECT_EQ(bmp.U32(2), bmp.Bytes.size());  // the file's size
  EXPECT_EQ(bmp.U32(10), 14u + 40u + 64u);  // pixels after both headers and the palette
  EXPECT_EQ(bmp.U32(14), 40u);              // BITMAPINFOHEADER
  EXPECT_EQ(bmp.Width(), 7);
  EXPECT_EQ(bmp.Height(), 3);
  EXPECT_EQ(bmp.U16(26), 1);                  // planes
  EXPECT_EQ(bmp.U16(28), 4);                  // bits per pixel
  EXPECT_EQ(bmp.U32(30), 0u);                 // uncompressed
  EXPECT_EQ(bmp.U32(46), 16u);                // colours
  EXPECT_EQ(bmp.Bytes.size(), 118u + 3 * 4);  // 7 pixels take 4 bytes a row
  for (int i = 0; i < 16; ++i) EXPECT_EQ(bmp.Colour(i), StandardPalette16()[static_cast<std::size_t>(i)]) << i;
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(bmp.Pixel(x, y), (x + 3 * y) % 16) << x << "," << y;
}

TEST(Bitmap4, ThePaletteHoldsTheGraphColoursExactly) {
  const TPalette16& p = StandardPalette16();
  const TRgb colours[] = {{0, 0, 0}, {0, 128, 0}, {255, 0, 0}, {255, 255, 0}};
  for (const TRgb& c : colours) EXPECT_EQ(p[static_cast<std::size_t>(NearestColourIndex(p, c))], c);
  // Antialiased edges go to the nearest colour.
  EXPECT_EQ(p[static_cast<std::size_t>(NearestColourIndex(p, {10, 110, 5}))], (TRgb{0, 128, 0}));
  EXPECT_EQ(p[static_cast<std::size_t>(NearestColourIndex(p, {20, 20, 20}))], (TRgb{0, 0, 0}));
}

TEST(Bitmap4, RefusesPicturesItCannotWrite) {
  test::TTempFolder dir;
  std::string error;
  EXPECT_FALSE(WriteBitmap4(dir.File("empty.bmp"), TIndexedPicture{}, error));
  TIndexedPicture wrong = Stripes(4, 4);
  wrong.Pixels.pop_back();
  EXPECT_TRUE(Bitmap4Bytes(wrong).empty());
  // A write that fails leaves what was there (the target is a folder).
  std::filesystem::create_directory(dir.File("folder.bmp"));
  EXPECT_FALSE(WriteBitmap4(dir.File("folder.bmp"), Stripes(2, 2), error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.bmp")));
}

}  // namespace
}  // namespace helmax
