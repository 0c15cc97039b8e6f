#pragma once
// The manifest that `pack` reads and `extract` writes: one entry a line,
//   archive images|waves
//   image NAME FILE.png [pattern=W,H] [skip=W,H] [transparent=0|1] [color=VALUE] [systemmemory=0|1]
//   wave NAME FILE.wav [looped=0|1] [maxplaying=N]
// blank lines and lines starting with '#' ignored, paths relative to the
// manifest's folder, VALUE a hex colour 0xBBGGRR or an identifier (clFuchsia).
#include <cstddef>
#include <string>
#include <vector>

#include "engine/ArchiveFormat.h"

namespace fusewick::tool {

struct TManifest {
  bool Waves = false;
  struct ImageEntry {
    TImageArchiveItem Item;  // properties; the picture comes from File
    std::string File;        // path as resolved against the manifest's folder
    int Line = 0;
  };
  struct WaveEntry {
    TWaveArchiveItem Item;
    std::string File;
    int Line = 0;
  };
  std::vector<ImageEntry> Images;
  std::vector<WaveEntry> WaveEntries;
};

// Parses a manifest's text; `folder` is what relative paths are resolved
// against. Raises std::runtime_error "NAME:LINE: what is wrong".
TManifest ParseManifest(const std::string& text, const std::string& folder, const std::string& displayName);
// Reads the file first: a plain file of at most kMaxManifestBytes.
constexpr size_t kMaxManifestBytes = size_t(1) << 20;
TManifest ReadManifest(const std::string& path);

// One manifest line for an item, naming `file`; options equal to their
// defaults are left out.
std::string ImageManifestLine(const TImageArchiveItem& item, const std::string& file);
std::string WaveManifestLine(const TWaveArchiveItem& item, const std::string& file);

}  // namespace fusewick::tool
