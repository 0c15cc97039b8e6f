// libFuzzer target for the archive readers: every input is read as an image
// archive, as a sound archive, and as a bare bitmap and RIFF image. Read
// errors with the readers' own texts are expected; crashes, sanitizer
// reports, other exceptions or texts, and archives that do not survive a
// write and a second read are findings.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/ArchiveFormat.h"
#include "engine/Dib.h"
#include "engine/Errors.h"
#include "engine/RiffWave.h"

using namespace fusewick;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The only texts the readers raise.
void KnownError(const EStreamError& e) {
  for (const char* text : {"Invalid stream format", "DIB is invalid", "Wave is invalid", "Stream read error"})
    if (std::strcmp(e.what(), text) == 0) return;
  std::abort();
}

bool SamePicture(const std::shared_ptr<TDIB>& a, const std::shared_ptr<TDIB>& b) {
  if (!a || !b) return !a && !b;
  return a->Width == b->Width && a->Height == b->Height && a->Pixels == b->Pixels;
}

void ImageRoundTrip(const TImageArchive& model) {
  const std::vector<uint8_t> bytes = WriteImageArchive(model);
  TImageArchive again;
  ReadImageArchive(bytes.data(), bytes.size(), again);
  Check(again.Items.size() == model.Items.size());
  for (size_t i = 0; i < model.Items.size(); ++i) {
    const auto &a = model.Items[i], &b = again.Items[i];
    Check(a.Name == b.Name && a.PatternWidth == b.PatternWidth && a.PatternHeight == b.PatternHeight &&
          a.SkipWidth == b.SkipWidth && a.SkipHeight == b.SkipHeight && a.SystemMemory == b.SystemMemory &&
          a.Transparent == b.Transparent && a.TransparentColor == b.TransparentColor &&
          SamePicture(a.Picture, b.Picture) && a.PatternCount() == b.PatternCount());
  }
}

void WaveRoundTrip(const TWaveArchive& model) {
  const std::vector<uint8_t> bytes = WriteWaveArchive(model);
  TWaveArchive again;
  ReadWaveArchive(bytes.data(), bytes.size(), again);
  Check(again.Items.size() == model.Items.size());
  for (size_t i = 0; i < model.Items.size(); ++i) {
    const auto &a = model.Items[i], &b = again.Items[i];
    Check(a.Name == b.Name && a.Looped == b.Looped && a.MaxPlayingCount == b.MaxPlayingCount && a.Riff == b.Riff &&
          a.Wave.Format == b.Wave.Format && a.Wave.Samples == b.Wave.Samples);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  {
    TImageArchive model;
    bool complete = true;
    try {
      ReadImageArchive(data, size, model);
    } catch (const EStreamError& e) {
      KnownError(e);
      complete = false;
    }
    if (complete) ImageRoundTrip(model);
  }
  {
    TWaveArchive model;
    bool complete = true;
    try {
      ReadWaveArchive(data, size, model);
    } catch (const EStreamError& e) {
      KnownError(e);
      complete = false;
    }
    if (complete) WaveRoundTrip(model);
  }
  try {
    TDIB pic = DecodeDib(data, size);
    Check(pic.Pixels.size() == size_t(pic.Width) * size_t(pic.Height));
  } catch (const EStreamError& e) {
    KnownError(e);
  }
  try {
    DecodeWave(data, size);
  } catch (const EStreamError& e) {
    KnownError(e);
  }
  return 0;
}
