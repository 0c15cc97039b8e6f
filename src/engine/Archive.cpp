#include "engine/Archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/ArchiveFormat.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Wave.h"

namespace fusewick {

std::vector<uint8_t> ReadWholeFile(const std::string& fileName, size_t maxBytes) {
  const std::string name = "\"" + fileName + "\"";
  // Opened without waiting: a FIFO would otherwise hold the program until
  // something writes to it. Only a plain file is read.
  const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw EInOutError("Cannot open file " + name + ": " + std::strerror(errno));
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  struct stat st {};
  if (::fstat(fd, &st) != 0) throw EInOutError("Cannot read file " + name + ": " + std::strerror(errno));
  if (S_ISDIR(st.st_mode)) throw EInOutError("Cannot read file " + name + ": it is a folder");
  if (!S_ISREG(st.st_mode)) throw EInOutError("Cannot read file " + name + ": it is not a plain file");
  if (st.st_size < 0 || uint64_t(st.st_size) > maxBytes)
    throw EInOutError(
        "Cannot read file " + name + ": it is larger than " +
        (maxBytes % (1 << 20) == 0 ? std::to_string(maxBytes >> 20) + " MB" : std::to_string(maxBytes) + " bytes"));
  // The bytes that were there when it was opened; a file cut shorter
  // meanwhile gives what is left.
  std::vector<uint8_t> bytes(size_t(st.st_size));
  size_t got = 0;
  while (got < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw EInOutError("Cannot read file " + name + ": " + std::strerror(errno));
    if (n == 0) break;
    got += size_t(n);
  }
  bytes.resize(got);
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
void ReadInto(Collection& into, const std::vector<uint8_t>& bytes, void (*read)(const uint8_t*, size_t, Model&),
              void (*add)(Collection&, Model&)) {
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
