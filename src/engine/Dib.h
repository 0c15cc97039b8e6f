#pragma once
// Device-independent bitmaps as the image archives store them: the bitmap
// header, optional colour masks, the colour table and the pixel rows, without
// the 14-byte file header of a .bmp file.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/Picture.h"

namespace fusewick {

// Largest picture the reader accepts: a side of at most kMaxDibSide pixels
// and at most kMaxDibPixels pixels in all (the backgrounds are 800 x 600).
constexpr int32_t kMaxDibSide = 16384;
constexpr int64_t kMaxDibPixels = 16 * 1024 * 1024;

// Decodes a bitmap into 0x00RRGGBB pixels. An empty payload is an empty
// picture. A payload that ends inside the header, the masks, the colour
// table or the pixels raises EReadError "Stream read error"; one of 1 to 3
// bytes, a header, compression or bit count the reader does not know, and
// a picture beyond the sizes above raise EStreamError "DIB is invalid".
// Reads nothing outside [data, data + size).
TDIB DecodeDib(const uint8_t* data, size_t size);

// Layout facts of a bitmap header that the archive tool and the .bmp
// importer need; raises like DecodeDib.
struct TDibLayout {
  uint32_t HeaderSize = 0;  // 12 (core) or 40 (info)
  int32_t Width = 0;
  int32_t Height = 0;  // negative: rows stored top-down
  uint16_t BitCount = 0;
  uint32_t Compression = 0;  // 0 none, 1 RLE8, 2 RLE4, 3 bit fields
  uint32_t ImageSize = 0;
  uint32_t ColorCount = 0;  // colour table entries
  size_t MaskBytes = 0;     // 12 with bit fields, else 0
  size_t TableBytes = 0;    // ColorCount x 3 (core) or x 4
  size_t PixelBytes = 0;    // bytes of pixel data the reader takes
};
TDibLayout ReadDibLayout(const uint8_t* data, size_t size);

// Encodes a picture the way the archive writer stores it: 8 bits per pixel
// with a sorted colour table when it has at most 256 colours, else 24 bits;
// rows bottom-up. Deterministic: the same picture gives the same bytes.
std::vector<uint8_t> EncodeDib(const TDIB& picture);

}  // namespace fusewick
