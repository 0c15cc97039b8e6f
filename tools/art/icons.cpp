// fusewick-art-icons OUTDIR: draws the application icon in the desktop's
// sizes, OUTDIR/fusewick-48.png, -128.png and -256.png (RGBA), and the
// window's icon as C++ data that the game compiles in,
// OUTDIR/WindowIconPixels.inc (kWindowIconSize and kWindowIconPixels:
// 0xAARRGGBB with straight alpha, rows top to bottom).
#include <cairo.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "draw.h"

namespace fs = std::filesystem;

namespace {

// The window's icon: one size, which the desktop scales for its title
// bars, task bars and switchers.
constexpr int kWindowIconSize = 64;

cairo_surface_t* DrawAt(int size) {
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
  cairo_t* cr = cairo_create(surface);
  fusewick::art::DrawIcon(cr, size);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  return surface;
}

// Cairo keeps premultiplied alpha; the window's icon wants it straight.
uint32_t Straight(uint32_t argb) {
  const uint32_t a = argb >> 24;
  if (a == 0) return 0;
  auto channel = [&](int shift) { return (((argb >> shift) & 0xFF) * 255 + a / 2) / a; };
  return a << 24 | channel(16) << 16 | channel(8) << 8 | channel(0);
}

bool WriteWindowIcon(const fs::path& path) {
  cairo_surface_t* surface = DrawAt(kWindowIconSize);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  // Written beside and then moved over the old file, so that a build never
  // compiles a half-written one.
  const fs::path temp = path.string() + ".part";
  {
    std::ofstream out(temp, std::ios::trunc);
    out << "// Drawn by fusewick-art-icons; do not edit.\n";
    out << "constexpr int kWindowIconSize = " << kWindowIconSize << ";\n";
    out << "constexpr uint32_t kWindowIconPixels[" << kWindowIconSize * kWindowIconSize << "] = {\n";
    char word[16];
    for (int y = 0; y < kWindowIconSize; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + y * stride);
      for (int x = 0; x < kWindowIconSize; ++x) {
        std::snprintf(word, sizeof word, "0x%08Xu,", Straight(row[x]));
        out << word << ((x % 8 == 7) ? "\n" : "");
      }
    }
    out << "};\n";
    if (!out) {
      cairo_surface_destroy(surface);
      return false;
    }
  }
  cairo_surface_destroy(surface);
  std::error_code ec;
  fs::rename(temp, path, ec);
  return !ec;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fusewick-art-icons OUTDIR\n");
    return 2;
  }
  const fs::path dir = argv[1];
  std::error_code ec;
  fs::create_directories(dir, ec);
  for (int size : fusewick::art::kIconSizes) {
    cairo_surface_t* surface = DrawAt(size);
    const std::string path = (dir / ("fusewick-" + std::to_string(size) + ".png")).string();
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
      std::fprintf(stderr, "fusewick-art-icons: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(status));
      return 1;
    }
  }
  const fs::path inc = dir / "WindowIconPixels.inc";
  if (!WriteWindowIcon(inc)) {
    std::fprintf(stderr, "fusewick-art-icons: cannot write %s\n", inc.string().c_str());
    return 1;
  }
  return 0;
}
