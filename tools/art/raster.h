#pragma once
// Pictures of the asset builder: RGB pixels, the colour key, frames drawn
// with Cairo and turned into hard-edged sprites, and the PNG writer.
#include <cairo.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fusewick::art {

// A picture as the archives hold it: Width x Height pixels, top row first,
// each 0x00RRGGBB.
struct Image {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;

  Image() = default;
  Image(int w, int h, uint32_t fill) : Width(w), Height(h), Pixels(size_t(w) * size_t(h), fill) {}
  uint32_t& At(int x, int y) { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
  uint32_t At(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

// The transparent colour of every keyed picture: magenta (0xRRGGBB).
constexpr uint32_t kKeyColour = 0xFF00FF;
// The same colour as the archives write it (0x00BBGGRR), and its name.
constexpr uint32_t kKeyColourBGR = 0xFF00FF;
constexpr const char* kKeyColourName = "clFuchsia";

// The 16-bit (5-6-5) pixel value a colour becomes on the back surface.
uint16_t To565(uint32_t rgb);
// True when an opaque colour would be stored like the key (or so close
// that a rounding conversion could make it so).
bool NearKey(uint32_t rgb);
// The colour itself, or a nudged one that can never become the key.
uint32_t AvoidKey(uint32_t rgb);

// Converts a drawn ARGB frame into opaque pixels. Keyed pictures: pixels
// covered less than half become the key, the rest take their own colour
// (the silhouette is hard-edged, its inside keeps Cairo's smooth edges).
// Opaque pictures are laid over black.
Image FromSurface(cairo_surface_t* surface, bool keyed);

// Copies src into dst with its top-left corner at (x, y).
void Blit(Image& dst, const Image& src, int x, int y);
// Mirrors a picture left to right.
Image Mirrored(const Image& src);

// Writes an 8-bit RGB PNG; throws std::runtime_error on failure.
void WritePng(const std::string& path, const Image& image);

}  // namespace fusewick::art
