#pragma once
// The catalogue of the game's pictures: every image the game looks up, in
// which archive it lives, how it is cut into patterns, what it shows and
// the function that draws it. The builder and the tests walk this table.
#include <cairo.h>

#include <string>
#include <string_view>
#include <vector>

#include "raster.h"

namespace fusewick::art {

// One pattern to draw: the context's origin is the pattern's top-left
// corner and the surface is Width x Height, cleared to transparent.
struct Frame {
  int Index;  // pattern number, 0 .. Count - 1
  int Count;  // patterns of the image
  int Width;  // pattern size
  int Height;
  int Variant;  // which of the looks a shared draw function makes
};
using DrawFn = void (*)(cairo_t* cr, const Frame& frame);

struct ImageEntry {
  std::string_view Name;
  int Archive;  // 1: Images1.dxg, 2: Images2.dxg
  int PatternWidth;
  int PatternHeight;
  int Frames;        // pattern count the game indexes
  bool Transparent;  // drawn with the colour key
  bool Mirror;       // drawn facing right, stored mirrored (facing left)
  int Variant;
  std::string_view Shows;
  DrawFn Draw;

  // Patterns are laid out in rows of Columns(), rows outer.
  int Columns() const;
  int Rows() const { return (Frames + Columns() - 1) / Columns(); }
  int PictureWidth() const { return PatternWidth * Columns(); }
  int PictureHeight() const { return PatternHeight * Rows(); }
};

const std::vector<ImageEntry>& Catalogue();
// The entry of that name (exact), or null.
const ImageEntry* FindImage(std::string_view name);

// Draws the whole picture of an image.
Image Render(const ImageEntry& entry);
// Draws one pattern of an image.
Image RenderFrame(const ImageEntry& entry, int index);

// The manifest line of an image stored in file (relative to the manifest).
std::string ManifestLine(const ImageEntry& entry, const std::string& file);

}  // namespace fusewick::art
