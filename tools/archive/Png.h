#pragma once
// PNG files as 8-bit RGB pictures.
#include <string>

#include "engine/Picture.h"

namespace fusewick::tool {

// Reads any PNG as RGB: palettes and grey are expanded, 16-bit channels
// rounded to 8 bits, alpha dropped (the colour values are kept as stored).
// Raises std::runtime_error with the file name.
TDIB ReadPng(const std::string& fileName);

// Writes an 8-bit RGB PNG of exactly the picture's pixels.
void WritePng(const std::string& fileName, const TDIB& picture);

}  // namespace fusewick::tool
