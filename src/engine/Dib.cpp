#include "engine/Dib.h"

#include <algorithm>
#include <array>
#include <bit>

#include "engine/Errors.h"

namespace fusewick {

namespace {

[[noreturn]] void Invalid() { throw EStreamError("DIB is invalid"); }
// The payload ends before the part of the bitmap being read.
[[noreturn]] void CutShort() { throw EReadError("Stream read error"); }

uint16_t U16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(uint8_t(v));
  out.push_back(uint8_t(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// One colour channel of a 16- or 32-bit pixel, cut out by its mask and
// widened to 8 bits by repeating its high bits (5 bits 0x1F gives 0xFF).
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  explicit Channel(uint32_t m) : mask(m) {
    if (m == 0) return;
    shift = std::countr_zero(m);
    bits = 32 - std::countl_zero(m) - shift;
  }
  uint32_t Extract(uint32_t pixel) const {
    if (bits == 0) return 0;
    uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8) return (v >> (bits - 8)) & 0xFF;
    uint32_t r = 0;
    int filled = 0;
    while (filled < 8) {
      r = (r << bits) | v;
      filled += bits;
    }
    return (r >> (filled - 8)) & 0xFF;
  }
};

}  // namespace

TDibLayout ReadDibLayout(const uint8_t* data, size_t size) {
  TDibLayout l;
  // The header size; a payload of 1 to 3 bytes is no bitmap at all.
  if (size < 4) Invalid();
  l.HeaderSize = U32(data);
  if (l.HeaderSize != 12 && l.HeaderSize != 40) Invalid();
  if (size < l.HeaderSize) CutShort();
  uint32_t colorsUsed = 0;
  if (l.HeaderSize == 12) {
    l.Width = U16(data + 4);
    l.Height = U16(data + 6);
    l.BitCount = U16(data + 10);
  } else {
    l.Width = int32_t(U32(data + 4));
    l.Height = int32_t(U32(data + 8));
    l.BitCount = U16(data + 14);
    l.Compression = U32(data + 16);
    l.ImageSize = U32(data + 20);
    colorsUsed = U32(data + 32);
  }

  // Colour masks with bit fields, then the colour table: their bytes are
  // read before the pixels are looked at.
  l.MaskBytes = l.Compression == 3 ? 12 : 0;
  l.ColorCount = colorsUsed;
  if (l.ColorCount == 0 && l.BitCount <= 8) l.ColorCount = 1u << l.BitCount;
  l.ColorCount = std::min<uint32_t>(l.ColorCount, 256);
  l.TableBytes = size_t(l.ColorCount) * (l.HeaderSize == 12 ? 3 : 4);
  size_t need = l.HeaderSize;
  for (size_t part : {l.MaskBytes, l.TableBytes}) {
    if (part > size - need) CutShort();
    need += part;
  }

  // The pixel layout: compressions and bit counts this reader decodes, and
  // no picture larger than the game could hold.
  switch (l.Compression) {
    case 0: break;
    case 1:
      if (l.BitCount != 8 || l.Height < 0) Invalid();
      break;  // RLE8, bottom-up only
    case 2:
      if (l.BitCount != 4 || l.Height < 0) Invalid();
      break;  // RLE4, bottom-up only
    case 3:
      if (l.BitCount != 16 && l.BitCount != 32) Invalid();
      break;
    default: Invalid();
  }
  switch (l.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: Invalid();
  }
  const int64_t rows = l.Height < 0 ? -int64_t(l.Height) : int64_t(l.Height);
  if (l.Width <= 0 || rows == 0 || l.Width > kMaxDibSide || rows > kMaxDibSide ||
      int64_t(l.Width) * rows > kMaxDibPixels)
    Invalid();
  if (l.Compression == 1 || l.Compression == 2) {
    l.PixelBytes = l.ImageSize;
  } else {
    const int64_t rowSize = (int64_t(l.Width) * l.BitCount + 31) / 32 * 4;
    l.PixelBytes = size_t(rowSize * rows);
  }
  if (l.PixelBytes > size - need) CutShort();
  return l;
}

TDIB DecodeDib(const uint8_t* data, size_t size) {
  if (size == 0) return TDIB();
  const TDibLayout l = ReadDibLayout(data, size);
  const uint8_t* p = data + l.HeaderSize;

  uint32_t masks[3] = {0, 0, 0};
  if (l.Compression == 3) {
    for (int i = 0; i < 3; ++i) masks[i] = U32(p + 4 * i);
  } else if (l.BitCount == 16) {
    masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
  } else if (l.BitCount == 32) {
    masks[0] = 0xFF0000, masks[1] = 0x00FF00, masks[2] = 0x0000FF;
  }
  p += l.MaskBytes;
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);

  // Indices past the table's end are black.
  std::array<uint32_t, 256> palette{};
  const size_t entry = l.HeaderSize == 12 ? 3 : 4;
  for (uint32_t i = 0; i < l.ColorCount; ++i) {
    const uint8_t* e = p + i * entry;
    palette[i] = (uint32_t(e[2]) << 16) | (uint32_t(e[1]) << 8) | e[0];
  }
  p += l.TableBytes;

  const int32_t w = l.Width;
  const int32_t h = l.Height < 0 ? -l.Height : l.Height;
  TDIB pic(w, h, palette[0]);

  if (l.Compression == 1 || l.Compression == 2) {
    // Run-length encoded rows, bottom row first. Pixels that fall outside
    // the picture are dropped; pixels never written keep colour index 0.
    const bool rle4 = l.Compression == 2;
    const uint8_t* src = p;
    const size_t n = l.PixelBytes;
    size_t i = 0;
    int64_t x = 0, y = 0;
    auto put = [&](uint8_t index) {
      if (x < w && y < h) pic.At(int32_t(x), int32_t(h - 1 - y)) = palette[index];
      ++x;
    };
    while (i + 2 <= n && y < h) {
      const uint8_t count = src[i], value = src[i + 1];
      i += 2;
      if (count > 0) {
        if (x >= w) {
          x += count;
          continue;
        }
        for (int k = 0; k < count; ++k) put(rle4 ? ((k & 1) ? value & 15 : value >> 4) : value);
      } else if (value == 0) {  // end of line
        x = 0;
        ++y;
      } else if (value == 1) {  // end of bitmap
        break;
      } else if (value == 2) {  // move right and up
        if (i + 2 > n) break;
        x += src[i];
        y += src[i + 1];
        i += 2;
      } else {  // a literal run of `value` pixels, padded to a 16-bit boundary
        const size_t bytes = rle4 ? (size_t(value) + 1) / 2 : value;
        if (bytes > n - i) break;
        for (int k = 0; k < value; ++k) {
          const uint8_t b = src[i + (rle4 ? size_t(k) / 2 : size_t(k))];
          put(rle4 ? ((k & 1) ? b & 15 : b >> 4) : b);
        }
        i += bytes + (bytes & 1);
      }
    }
    return pic;
  }

  const size_t rowSize = size_t((int64_t(w) * l.BitCount + 31) / 32 * 4);
  for (int32_t r = 0; r < h; ++r) {
    const uint8_t* row = p + size_t(r) * rowSize;
    const int32_t y = l.Height < 0 ? r : h - 1 - r;
    uint32_t* out = &pic.At(0, y);
    switch (l.BitCount) {
      case 1:
        for (int32_t x = 0; x < w; ++x) out[x] = palette[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
      case 4:
        for (int32_t x = 0; x < w; ++x) out[x] = palette[(x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4];
        break;
      case 8:
        for (int32_t x = 0; x < w; ++x) out[x] = palette[row[x]];
        break;
      case 24:
        for (int32_t x = 0; x < w; ++x) {
          const uint8_t* q = row + 3 * size_t(x);
          out[x] = (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
        }
        break;
      default: {  // 16 or 32 bits through the channel masks
        for (int32_t x = 0; x < w; ++x) {
          const uint32_t v = l.BitCount == 16 ? U16(row + 2 * size_t(x)) : U32(row + 4 * size_t(x));
          out[x] = (red.Extract(v) << 16) | (green.Extract(v) << 8) | blue.Extract(v);
        }
      }
    }
  }
  return pic;
}

std::vector<uint8_t> EncodeDib(const TDIB& picture) {
  std::vector<uint8_t> out;
  if (picture.Empty()) return out;
  const int32_t w = picture.Width, h = picture.Height;

  std::vector<uint32_t> colors(picture.Pixels);
  for (auto& c : colors) c &= 0xFFFFFF;
  std::sort(colors.begin(), colors.end());
  colors.erase(std::unique(colors.begin(), colors.end()), colors.end());
  const bool indexed = colors.size() <= 256;
  const uint16_t bits = indexed ? 8 : 24;
  const size_t rowSize = (size_t(w) * bits + 31) / 32 * 4;

  Put32(out, 40);
  Put32(out, uint32_t(w));
  Put32(out, uint32_t(h));
  Put16(out, 1);
  Put16(out, bits);
  Put32(out, 0);  // no compression
  Put32(out, uint32_t(rowSize * size_t(h)));
  Put32(out, 0);
  Put32(out, 0);
  Put32(out, indexed ? uint32_t(colors.size()) : 0);
  Put32(out, 0);
  if (indexed) {
    for (uint32_t c : colors) {
      out.push_back(uint8_t(c));
      out.push_back(uint8_t(c >> 8));
      out.push_back(uint8_t(c >> 16));
      out.push_back(0);
    }
  }
  out.reserve(out.size() + rowSize * size_t(h));
  for (int32_t y = h - 1; y >= 0; --y) {
    const size_t start = out.size();
    for (int32_t x = 0; x < w; ++x) {
      const uint32_t c = picture.At(x, y) & 0xFFFFFF;
      if (indexed) {
        out.push_back(uint8_t(std::lower_bound(colors.begin(), colors.end(), c) - colors.begin()));
      } else {
        out.push_back(uint8_t(c));
        out.push_back(uint8_t(c >> 8));
        out.push_back(uint8_t(c >> 16));
      }
    }
    out.resize(start + rowSize, 0);
  }
  return out;
}

}  // namespace fusewick
