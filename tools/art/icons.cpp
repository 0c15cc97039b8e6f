// fusewick-art-icons OUTDIR: draws the application icon in the desktop's
// sizes, OUTDIR/fusewick-48.png, -128.png and -256.png (RGBA).
#include <cairo.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "draw.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fusewick-art-icons OUTDIR\n");
    return 2;
  }
  const fs::path dir = argv[1];
  std::error_code ec;
  fs::create_directories(dir, ec);
  for (int size : fusewick::art::kIconSizes) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    fusewick::art::DrawIcon(cr, size);
    cairo_destroy(cr);
    const std::string path = (dir / ("fusewick-" + std::to_string(size) + ".png")).string();
    const cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
      std::fprintf(stderr, "fusewick-art-icons: cannot write %s: %s\n", path.c_str(), cairo_status_to_string(status));
      return 1;
    }
  }
  return 0;
}
