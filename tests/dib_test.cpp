// Bitmap and RIFF WAVE payloads of the archives.
#include <gtest/gtest.h>

#include "archive_test_util.h"
#include "engine/Dib.h"
#include "engine/Errors.h"
#include "engine/RiffWave.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

using Pixels = std::vector<uint32_t>;

Bytes Table4(std::initializer_list<uint32_t> rgb) {  // 4-byte entries: blue, green, red, 0
  Bytes b;
  for (uint32_t c : rgb) b.insert(b.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), 0});
  return b;
}

Bytes Le16(std::initializer_list<uint16_t> v) {
  Bytes b;
  for (uint16_t x : v) Put16(b, x);
  return b;
}
Bytes Le32(std::initializer_list<uint32_t> v) {
  Bytes b;
  for (uint32_t x : v) Put32(b, x);
  return b;
}

std::string DibError(const Bytes& b) {
  try {
    DecodeDib(b.data(), b.size());
  } catch (const EStreamError& e) {
    return e.what();
  }
  return "";
}

std::string WaveError(const Bytes& b) {
  try {
    DecodeWave(b.data(), b.size());
  } catch (const EStreamError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(Dib, DecodesEveryStoredForm) {
  const Bytes pal = Table4({0x000000, 0xFF0000, 0x00FF00, 0x0000FF});
  struct Case {
    const char* what;
    DibFields fields;
    int32_t w, h;
    Pixels want;  // top row first
  };
  const std::vector<Case> cases = {
      {"1 bit, core header with 3-byte entries, 9 wide (row padding)",
       {.HeaderSize = 12,
        .Width = 9,
        .Height = 2,
        .Bits = 1,
        .Table = {0, 0, 0, 0xFF, 0xFF, 0xFF},
        .Pixels = {0x80, 0x80, 0, 0, 0x00, 0x7F, 0, 0}},  // bottom row first
       9,
       2,
       {0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF, 0, 0, 0, 0, 0, 0, 0, 0xFFFFFF}},
      {"4 bits, two colours used: the table is two entries, index 2 beyond it is black",
       {.Width = 3,
        .Height = 1,
        .Bits = 4,
        .ColorsUsed = 2,
        .Table = Table4({0x112233, 0x445566}),
        .Pixels = {0x01, 0x20, 0, 0}},
       3,
       1,
       {0x112233, 0x445566, 0}},
      {"8 bits, negative height: rows stored top-down",
       {.Width = 2, .Height = -2, .Bits = 8, .ColorsUsed = 4, .Table = pal, .Pixels = {1, 2, 0, 0, 3, 0, 0, 0}},
       2,
       2,
       {0xFF0000, 0x00FF00, 0x0000FF, 0}},
      {"16 bits without masks: 5-5-5",
       {.Width = 3, .Height = 1, .Bits = 16, .Pixels = Le16({0x7C00, 0x03E0, 0x4210, 0})},
       3,
       1,
       {0xFF0000, 0x00FF00, 0x848484}},
      {"16 bits with bit fields: 5-6-5",
       {.Width = 2,
        .Height = 1,
        .Bits = 16,
        .Compression = 3,
        .Masks = Le32({0xF800, 0x07E0, 0x001F}),
        .Pixels = Le16({0xF800, 0x0400})},
       2,
       1,
       {0xFF0000, 0x008200}},
      {"24 bits, blue green red, rows padded to 4 bytes",
       {.Width = 1, .Height = 2, .Bits = 24, .Pixels = {1, 2, 3, 0, 4, 5, 6, 0}},
       1,
       2,
       {0x060504, 0x030201}},
      {"32 bits without masks: 8-8-8, the high byte ignored",
       {.Width = 1, .Height = 1, .Bits = 32, .Pixels = Le32({0xAA123456})},
       1,
       1,
       {0x123456}},
      {"32 bits with bit fields in another order",
       {.Width = 1,
        .Height = 1,
        .Bits = 32,
        .Compression = 3,
        .Masks = Le32({0xFF, 0xFF00, 0xFF0000}),
        .Pixels = Le32({0x00123456})},
       1,
       1,
       {0x563412}},
      {"RLE8: runs, a literal run with its pad byte, end of line, delta, end of bitmap",
       {.Width = 4,
        .Height = 3,
        .Bits = 8,
        .Compression = 1,
        .ColorsUsed = 4,
        .Table = pal,
        .Pixels = {2, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 1, 3, 0, 1}},
       4,
       3,
       {0, 0x0000FF, 0, 0, 0, 0, 0, 0, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF}},
      {"RLE4: alternating nibbles and a literal run",
       {.Width = 5,
        .Height = 1,
        .Bits = 4,
        .Compression = 2,
        .ColorsUsed = 4,
        .Table = pal,
        .Pixels = {3, 0x12, 0, 3, 0x30, 0x10, 0, 1}},
       5,
       1,
       {0xFF0000, 0x00FF00, 0xFF0000, 0x0000FF, 0}},
      {"RLE8 past the right edge, past the top, and a delta out of the picture write nothing outside",
       {.Width = 2,
        .Height = 2,
        .Bits = 8,
        .Compression = 1,
        .ColorsUsed = 4,
        .Table = pal,
        .Pixels = {255, 1, 0, 0, 0, 5, 2, 2, 2, 2, 2, 0, 2, 200, 200, 255, 3, 0, 0, 0, 0, 255, 2, 0, 1}},
       2,
       2,
       {0x00FF00, 0x00FF00, 0xFF0000, 0xFF0000}},
  };
  for (const auto& c : cases) {
    const Bytes b = MakeDib(c.fields);
    TDIB pic;
    EXPECT_NO_THROW(pic = DecodeDib(b.data(), b.size())) << c.what;
    EXPECT_EQ(pic.Width, c.w) << c.what;
    EXPECT_EQ(pic.Height, c.h) << c.what;
    EXPECT_EQ(pic.Pixels, c.want) << c.what;
  }
}

TEST(Dib, MalformedBitmapsAreInvalid) {
  auto rgb = [](int32_t w, int32_t h) { return DibFields{.Width = w, .Height = h, .Bits = 24, .Pixels = Bytes(4)}; };
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"fewer than 4 bytes", {40, 0}},
      {"header size 56",
       [] {
         Bytes b = MakeDib({.Pixels = Bytes(4)});
         b[0] = 56;
         return b;
       }()},
      {"7 bits per pixel (after its table of 128 colours)",
       MakeDib({.Bits = 7, .Table = Bytes(512), .Pixels = Bytes(4)})},
      {"compression 4", MakeDib({.Compression = 4, .Pixels = Bytes(4)})},
      {"RLE8 on 4 bits", MakeDib({.Bits = 4, .Compression = 1, .Table = Bytes(64), .Pixels = {0, 1}})},
      {"RLE4 top-down", MakeDib({.Height = -1, .Bits = 4, .Compression = 2, .Table = Bytes(64), .Pixels = {0, 1}})},
      {"bit fields on 24 bits", MakeDib({.Compression = 3, .Masks = Bytes(12), .Pixels = Bytes(4)})},
      {"width 0", MakeDib(rgb(0, 1))},
      {"height 0", MakeDib(rgb(1, 0))},
      // Sizes beyond any picture of the game are refused before their
      // pixels are looked for.
      {"60000 x 60000 announced in a few bytes", MakeDib(rgb(60000, 60000))},
      {"RLE8 of 60000 x 60000 announced in a few bytes",
       MakeDib({.Width = 60000, .Height = 60000, .Bits = 8, .Compression = 1, .Table = Bytes(1024), .Pixels = {0, 1}})},
      {"more pixels than a side may have", MakeDib(rgb(kMaxDibSide + 1, 1))},
      {"more pixels than a picture may have", MakeDib(rgb(8192, 4096))},
  };
  for (const auto& c : cases) EXPECT_EQ(DibError(c.bytes), "DIB is invalid") << c.what;
  EXPECT_TRUE(DecodeDib(nullptr, 0).Empty());
}

TEST(Dib, ABitmapCutShortIsAReadError) {
  // Each bitmap cut after every byte: nothing at all is an empty picture,
  // 1 to 3 bytes no bitmap, and a cut in the header, the masks, the colour
  // table or the pixels a read error. The table is read before the
  // compression is looked at, so a cut there is a read error even with a
  // compression the reader does not know.
  struct Case {
    const char* what;
    Bytes bytes;
    const char* whole;  // the error of the uncut bitmap
  };
  const std::vector<Case> cases = {
      {"8 bits, two colours, 2 x 2",
       MakeDib({.Width = 2, .Height = 2, .Bits = 8, .ColorsUsed = 2, .Table = Bytes(8), .Pixels = Bytes(8)}), ""},
      {"16 bits with bit fields",
       MakeDib({.Width = 2,
                .Height = 1,
                .Bits = 16,
                .Compression = 3,
                .Masks = Le32({0xF800, 0x07E0, 0x001F}),
                .Pixels = Bytes(4)}),
       ""},
      {"core header, 1 bit",
       MakeDib({.HeaderSize = 12, .Width = 1, .Height = 1, .Bits = 1, .Table = Bytes(6), .Pixels = Bytes(4)}), ""},
      {"RLE8: the image size's bytes",
       MakeDib({.Width = 2,
                .Height = 1,
                .Bits = 8,
                .Compression = 1,
                .ColorsUsed = 1,
                .Table = Bytes(4),
                .Pixels = {2, 0, 0, 1}}),
       ""},
      {"compression 7",
       MakeDib({.Width = 1, .Height = 1, .Bits = 8, .Compression = 7, .ColorsUsed = 2, .Table = Bytes(8)}),
       "DIB is invalid"},
  };
  for (const auto& c : cases) {
    for (size_t n = 0; n < c.bytes.size(); ++n) {
      const char* want = n == 0 ? "" : n < 4 ? "DIB is invalid" : "Stream read error";
      EXPECT_EQ(DibError(Bytes(c.bytes.begin(), c.bytes.begin() + std::ptrdiff_t(n))), want)
          << c.what << ", cut after " << n << " of " << c.bytes.size() << " bytes";
    }
    EXPECT_EQ(DibError(c.bytes), c.whole) << c.what;
  }
}

TEST(Dib, EncodeDecodesToTheSamePixels) {
  TDIB few(5, 3), many(17, 17);
  for (size_t i = 0; i < few.Pixels.size(); ++i) few.Pixels[i] = uint32_t(i % 4) * 0x3F1F0F;
  for (size_t i = 0; i < many.Pixels.size(); ++i) many.Pixels[i] = uint32_t(i) * 0x0101;  // 289 colours
  for (const TDIB* pic : {&few, &many}) {
    const Bytes b = EncodeDib(*pic);
    EXPECT_EQ(ReadDibLayout(b.data(), b.size()).BitCount, pic == &few ? 8 : 24);  // a table only where it fits
    const TDIB back = DecodeDib(b.data(), b.size());
    EXPECT_EQ(back.Width, pic->Width);
    EXPECT_EQ(back.Pixels, pic->Pixels);
  }
}

TEST(Wave, ChunksAndTheirOrder) {
  const Bytes fmt = PcmFormat(1, 11025, 8);
  const Bytes samples{10, 20, 30};
  TWaveData w;
  const Bytes withList = Riff({{"fmt ", fmt}, {"LIST", Bytes(4, 'x')}, {"data", samples}});
  ASSERT_NO_THROW(w = DecodeWave(withList.data(), withList.size()));
  EXPECT_EQ(w.Format, fmt);
  EXPECT_EQ(w.Samples, samples);

  // An odd-sized chunk is followed by its next header at once, without a pad byte...
  const Bytes unpadded = Riff({{"fmt ", fmt}, {"junk", Bytes(3)}, {"data", samples}});
  w = DecodeWave(unpadded.data(), unpadded.size());
  EXPECT_EQ(w.Samples, samples);
  // ...so a file that pads it hides the data chunk from the reader.
  const Bytes padded = Riff({{"fmt ", fmt}, {"junk", Bytes(3)}, {"", {0}}, {"data", samples}});
  w = DecodeWave(padded.data(), padded.size());
  EXPECT_TRUE(w.Samples.empty());
}

TEST(Wave, MalformedWavesAreInvalid) {
  const Bytes fmt = PcmFormat(1, 8000, 16);
  const Bytes good = Riff({{"fmt ", fmt}, {"data", Bytes(4)}});
  struct Case {
    const char* what;
    Bytes bytes;
  };
  const std::vector<Case> cases = {
      {"not RIFF",
       [&] {
         Bytes b = good;
         b[0] = 'X';
         return b;
       }()},
      {"not WAVE",
       [&] {
         Bytes b = good;
         b[8] = 'A';
         return b;
       }()},
      {"no format", Riff({{"data", Bytes(4)}})},
      {"format too short", Riff({{"fmt ", Bytes(fmt.begin(), fmt.begin() + 10)}, {"data", Bytes(4)}})},
  };
  for (const auto& c : cases) EXPECT_EQ(WaveError(c.bytes), "Wave is invalid") << c.what;
}

TEST(Wave, AnImageCutShortIsAReadErrorWhereItsBytesAreRead) {
  // RIFF header 0..11, "fmt " header 12..19 and body 20..35, "data" header
  // 36..43 and body 44..47. A chunk header cut short ends the chunk list
  // (here before any format: no sound); the bytes of a format or of the
  // samples cut short are a read error.
  const Bytes good = Riff({{"fmt ", PcmFormat(1, 8000, 16)}, {"data", Bytes(4)}});
  ASSERT_EQ(good.size(), 48u);
  const struct {
    size_t end;
    const char* error;
  } parts[] = {{12, "Stream read error"},
               {20, "Wave is invalid"},
               {36, "Stream read error"},
               {44, ""},
               {48, "Stream read error"}};
  size_t part = 0;
  for (size_t n = 0; n < good.size(); ++n) {
    while (n >= parts[part].end) ++part;
    EXPECT_EQ(WaveError(Bytes(good.begin(), good.begin() + std::ptrdiff_t(n))), parts[part].error)
        << "cut after " << n << " bytes";
  }
  EXPECT_EQ(WaveError(good), "");
  // A chunk of another kind may run past the end: it is skipped, unread.
  Bytes overlong = Riff({{"fmt ", PcmFormat(1, 8000, 16)}, {"LIST", Bytes(8)}});
  overlong[40] = 200;  // the LIST chunk's size
  EXPECT_EQ(WaveError(overlong), "");
}
