#include "engine/Archive.h"

#include <fstream>

#include "engine/ArchiveFormat.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Wave.h"

namespace fusewick {

std::vector<uint8_t> ReadWholeFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary | std::ios::ate);
  if (!in) throw EInOutError("Cannot open file \"" + fileName + "\"");
  const std::streamoff size = in.tellg();
  if (size < 0) throw EInOutError("Cannot read file \"" + fileName + "\"");
  std::vector<uint8_t> bytes(static_cast<size_t>(size));
  in.seekg(0);
  if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) throw EInOutError("Cannot read file \"" + fileName + "\"");
  return bytes;
}

namespace {

void AddPictures(TPictureCollection& into, TImageArchive& model) {
  if (model.ColorTable) into.ColorTable = *model.ColorTable;
  for (auto& src : model.Items) {
    TPictureCollectionItem* item = into.Add();
    item->SetName(src.Name);
    item->SetPatternWidth(src.PatternWidth);
    item->SetPatternHeight(src.PatternHeight);
    item->SkipWidth = src.SkipWidth;
    item->SkipHeight = src.SkipHeight;
    item->SystemMemory = src.SystemMemory;
    item->Transparent = src.Transparent;
    item->SetTransparentColor(src.TransparentColor);
    item->Picture = std::move(src.Picture);
  }
}

void AddWaves(TWaveCollection& into, TWaveArchive& model) {
  for (auto& src : model.Items) {
    TWaveCollectionItem* item = into.Add();
    item->SetName(src.Name);
    item->Looped = src.Looped;
    item->MaxPlayingCount = src.MaxPlayingCount;
    item->Format = std::move(src.Wave.Format);
    item->Samples = std::move(src.Wave.Samples);
  }
}

// Decodes into the model, then hands the items over, also those read
// before an error.
template <typename Collection, typename Model>
void ReadInto(Collection& into, const std::vector<uint8_t>& bytes,
              void (*read)(const uint8_t*, size_t, Model&), void (*add)(Collection&, Model&)) {
  into.Clear();
  Model model;
  try {
    read(bytes.data(), bytes.size(), model);
  } catch (...) {
    add(into, model);
    throw;
  }
  add(into, model);
}

}  // namespace

void ReadPictureArchive(TPictureCollection& into, const std::vector<uint8_t>& bytes) {
  ReadInto<TPictureCollection, TImageArchive>(into, bytes, ReadImageArchive, AddPictures);
}

void ReadWaveArchive(TWaveCollection& into, const std::vector<uint8_t>& bytes) {
  ReadInto<TWaveCollection, TWaveArchive>(into, bytes, ReadWaveArchive, AddWaves);
}

}  // namespace fusewick
