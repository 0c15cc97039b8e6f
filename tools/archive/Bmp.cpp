#include "Bmp.h"

#include <cstring>
#include <stdexcept>

#include "engine/Dib.h"
#include "engine/Errors.h"

namespace fusewick::tool {

namespace {
uint32_t U32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
void Set32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}
}  // namespace

std::vector<uint8_t> BmpToDib(const std::vector<uint8_t>& file) {
  if (file.size() < 18 || file[0] != 'B' || file[1] != 'M') throw std::runtime_error("not a BMP file");
  const uint32_t pixelsAt = U32(&file[10]);
  const uint32_t headerSize = U32(&file[14]);
  const size_t headerAt = 14;
  if (headerSize != 12 && headerSize != 40 && headerSize != 108 && headerSize != 124)
    throw std::runtime_error("unsupported BMP header size " + std::to_string(headerSize));
  if (headerSize > file.size() - headerAt) throw std::runtime_error("truncated BMP header");

  // The 12- or 40-byte header, and the masks that follow it.
  std::vector<uint8_t> dib(file.begin() + headerAt, file.begin() + headerAt + std::min<uint32_t>(headerSize, 40));
  size_t tableAt = headerAt + headerSize;
  if (headerSize > 40) {
    Set32(dib.data(), 40);
    const uint32_t compression = U32(&dib[16]);
    if (compression == 3)
      dib.insert(dib.end(), file.begin() + headerAt + 40, file.begin() + headerAt + 52);
    else if (compression > 3)
      throw std::runtime_error("unsupported BMP compression " + std::to_string(compression));
  } else if (headerSize == 40 && U32(&dib[16]) == 3) {
    if (file.size() - tableAt < 12) throw std::runtime_error("truncated BMP colour masks");
    dib.insert(dib.end(), file.begin() + tableAt, file.begin() + tableAt + 12);
    tableAt += 12;
  }

  // Colour table, then the pixels from where the file header says.
  {
    const uint32_t bits = headerSize == 12 ? uint32_t(file[headerAt + 10] | (file[headerAt + 11] << 8))
                                           : uint32_t(file[headerAt + 14] | (file[headerAt + 15] << 8));
    uint32_t colors = headerSize == 12 ? 0 : U32(&file[headerAt + 32]);
    if (colors == 0 && bits <= 8) colors = 1u << bits;
    if (colors > 256) throw std::runtime_error("colour table of more than 256 entries");
    const size_t tableBytes = size_t(colors) * (headerSize == 12 ? 3 : 4);
    if (tableAt > file.size() || tableBytes > file.size() - tableAt)
      throw std::runtime_error("truncated BMP colour table");
    dib.insert(dib.end(), file.begin() + tableAt, file.begin() + tableAt + tableBytes);
    if (pixelsAt < tableAt + tableBytes || pixelsAt > file.size())
      throw std::runtime_error("BMP pixel offset outside the file");
    dib.insert(dib.end(), file.begin() + pixelsAt, file.end());
  }
  TDibLayout l;
  try {
    l = ReadDibLayout(dib.data(), dib.size());
  } catch (const EStreamError& e) {
    throw std::runtime_error(std::string("bitmap the game cannot read: ") + e.what());
  }
  // Drop whatever follows the pixels (a colour profile, padding).
  dib.resize(l.HeaderSize + l.MaskBytes + l.TableBytes + l.PixelBytes);
  try {
    DecodeDib(dib.data(), dib.size());
  } catch (const EStreamError& e) {
    throw std::runtime_error(std::string("bitmap the game cannot read: ") + e.what());
  }
  return dib;
}

}  // namespace fusewick::tool
