#include "Png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <stdexcept>
#include <vector>

#include "engine/Archive.h"
#include "engine/Dib.h"

namespace fusewick::tool {

namespace {

struct PngInfo {
  png_uint_32 width = 0, height = 0;
};

// The libpng part, kept free of objects with destructors because errors
// come back by longjmp. Returns an error text, or nullptr.
const char* ReadRgbRows(std::FILE* f, PngInfo& info, std::vector<uint8_t>& rgb, std::vector<png_bytep>& rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return "out of memory";
  png_infop pi = png_create_info_struct(png);
  if (!pi) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return "out of memory";
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &pi, nullptr);
    return "not a readable PNG";
  }
  png_init_io(png, f);
  png_set_user_limits(png, png_uint_32(kMaxDibSide), png_uint_32(kMaxDibSide));
  png_read_info(png, pi);
  info.width = png_get_image_width(png, pi);
  info.height = png_get_image_height(png, pi);
  if (uint64_t(info.width) * info.height > uint64_t(kMaxDibPixels)) {
    png_destroy_read_struct(&png, &pi, nullptr);
    return "picture larger than the game reads";
  }
  const int colorType = png_get_color_type(png, pi);
  png_set_expand(png);    // palette to RGB, grey below 8 bits to 8, tRNS to alpha
  png_set_scale_16(png);  // 16-bit channels rounded to 8 bits
  png_set_strip_alpha(png);
  if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, pi);
  if (png_get_rowbytes(png, pi) != size_t(info.width) * 3) {
    png_destroy_read_struct(&png, &pi, nullptr);
    return "unexpected pixel layout";
  }
  rgb.resize(size_t(info.width) * 3 * info.height);
  rows.resize(info.height);
  for (png_uint_32 y = 0; y < info.height; ++y) rows[y] = rgb.data() + size_t(y) * info.width * 3;
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &pi, nullptr);
  return nullptr;
}

}  // namespace

TDIB ReadPng(const std::string& fileName) {
  // Read whole and bounded first: a folder, a FIFO or a device is refused
  // before libpng sees it.
  std::vector<uint8_t> bytes = ReadWholeFile(fileName);
  if (bytes.empty()) throw std::runtime_error(fileName + ": not a readable PNG");
  std::FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
  if (!f) throw std::runtime_error("cannot read " + fileName);
  PngInfo info;
  std::vector<uint8_t> rgb;
  std::vector<png_bytep> rows;
  const char* error = ReadRgbRows(f, info, rgb, rows);
  std::fclose(f);
  if (error) throw std::runtime_error(fileName + ": " + error);
  TDIB pic(int32_t(info.width), int32_t(info.height));
  for (size_t i = 0; i < pic.Pixels.size(); ++i)
    pic.Pixels[i] = (uint32_t(rgb[3 * i]) << 16) | (uint32_t(rgb[3 * i + 1]) << 8) | rgb[3 * i + 2];
  return pic;
}

void WritePng(const std::string& fileName, const TDIB& picture) {
  if (picture.Empty()) throw std::runtime_error(fileName + ": empty picture");
  std::vector<uint8_t> rgb(picture.Pixels.size() * 3);
  for (size_t i = 0; i < picture.Pixels.size(); ++i) {
    rgb[3 * i] = uint8_t(picture.Pixels[i] >> 16);
    rgb[3 * i + 1] = uint8_t(picture.Pixels[i] >> 8);
    rgb[3 * i + 2] = uint8_t(picture.Pixels[i]);
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(picture.Width);
  image.height = png_uint_32(picture.Height);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, fileName.c_str(), 0, rgb.data(), 0, nullptr))
    throw std::runtime_error(fileName + ": " + image.message);
}

}  // namespace fusewick::tool
