// fusewick-art OUTDIR: draws every picture of the game into OUTDIR, one PNG
// per image, with the two archive manifests images1.manifest and
// images2.manifest.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>

#include "catalogue.h"
#include "services/AssetNames.h"
#include "text.h"

namespace fs = std::filesystem;
using namespace fusewick::art;

static void WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fusewick-art OUTDIR\n");
    return 2;
  }
  try {
    // Every image the game looks up is drawn, in the archive it loads.
    for (const fusewick::NamedImage& image : fusewick::kImageNames) {
      const ImageEntry* entry = FindImage(image.Name);
      if (!entry || entry->Archive != image.Archive)
        throw std::runtime_error("no picture for " + std::string(image.Name) + " in archive " +
                                 std::to_string(image.Archive));
    }
    fs::path dir = argv[1];
    fs::create_directories(dir);
    std::string manifest[2] = {"# The game's first image list, drawn by fusewick-art.\narchive images\n",
                               "# The game's level backgrounds, drawn by fusewick-art.\narchive images\n"};
    for (const ImageEntry& entry : Catalogue()) {
      std::string file = std::string(entry.Name) + ".png";
      WritePng((dir / file).string(), Render(entry));
      manifest[entry.Archive - 1] += ManifestLine(entry, file) + "\n";
    }
    WriteText(dir / "images1.manifest", manifest[0]);
    WriteText(dir / "images2.manifest", manifest[1]);
    ReleaseFonts();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fusewick-art: %s\n", e.what());
    return 1;
  }
  return 0;
}
