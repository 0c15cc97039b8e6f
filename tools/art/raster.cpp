#include "raster.h"

#include <png.h>

#include <cstdio>
#include <stdexcept>

namespace fusewick::art {

uint16_t To565(uint32_t rgb) {
  uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  return uint16_t(((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3));
}

bool NearKey(uint32_t rgb) {
  uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  // Truncating and rounding conversions both keep these apart from the key.
  return r >= 240 && g < 16 && b >= 240;
}

uint32_t AvoidKey(uint32_t rgb) {
  if (!NearKey(rgb)) return rgb;
  return (rgb & 0xFF00FF) | (16u << 8);
}

Image FromSurface(cairo_surface_t* surface, bool keyed) {
  cairo_surface_flush(surface);
  int w = cairo_image_surface_get_width(surface);
  int h = cairo_image_surface_get_height(surface);
  int stride = cairo_image_surface_get_stride(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  Image out(w, h, keyed ? kKeyColour : 0);
  for (int y = 0; y < h; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
    for (int x = 0; x < w; ++x) {
      uint32_t p = row[x];
      uint32_t a = p >> 24;
      uint32_t r = (p >> 16) & 0xFF, g = (p >> 8) & 0xFF, b = p & 0xFF;
      if (keyed) {
        if (a < 128) continue;
        // Un-premultiply: the colour of the covering paint.
        r = (r * 255 + a / 2) / a;
        g = (g * 255 + a / 2) / a;
        b = (b * 255 + a / 2) / a;
        if (r > 255) r = 255;
        if (g > 255) g = 255;
        if (b > 255) b = 255;
      }
      out.At(x, y) = AvoidKey((r << 16) | (g << 8) | b);
    }
  }
  return out;
}

void Blit(Image& dst, const Image& src, int x0, int y0) {
  for (int y = 0; y < src.Height; ++y) {
    int dy = y0 + y;
    if (dy < 0 || dy >= dst.Height) continue;
    for (int x = 0; x < src.Width; ++x) {
      int dx = x0 + x;
      if (dx < 0 || dx >= dst.Width) continue;
      dst.At(dx, dy) = src.At(x, y);
    }
  }
}

Image Mirrored(const Image& src) {
  Image out(src.Width, src.Height, 0);
  for (int y = 0; y < src.Height; ++y)
    for (int x = 0; x < src.Width; ++x) out.At(src.Width - 1 - x, y) = src.At(x, y);
  return out;
}

void WritePng(const std::string& path, const Image& image) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) throw std::runtime_error("cannot write " + path);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    throw std::runtime_error("libpng: out of memory");
  }
  std::vector<unsigned char> row(size_t(image.Width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    throw std::runtime_error("libpng: cannot write " + path);
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, png_uint_32(image.Width), png_uint_32(image.Height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_compression_level(png, 9);
  png_write_info(png, info);
  for (int y = 0; y < image.Height; ++y) {
    for (int x = 0; x < image.Width; ++x) {
      uint32_t p = image.At(x, y);
      row[size_t(x) * 3 + 0] = (p >> 16) & 0xFF;
      row[size_t(x) * 3 + 1] = (p >> 8) & 0xFF;
      row[size_t(x) * 3 + 2] = p & 0xFF;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(f) != 0) throw std::runtime_error("cannot write " + path);
}

}  // namespace fusewick::art
