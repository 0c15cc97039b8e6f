#pragma once
// .bmp files as the archive stores their bitmaps.
#include <cstdint>
#include <vector>

namespace fusewick::tool {

// The bitmap of a .bmp file in the form the game's reader takes: the
// 14-byte file header dropped, the colour table and pixels moved right
// behind the header, and a version 4 or 5 header cut to the 40-byte one
// (its colour masks, with bit fields, written after it). The pixel bytes
// stay exactly as the other program wrote them. Raises std::runtime_error
// for a file the game could not read.
std::vector<uint8_t> BmpToDib(const std::vector<uint8_t>& file);

}  // namespace fusewick::tool
