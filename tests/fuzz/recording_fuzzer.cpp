// libFuzzer target for the recorded-game reader: every input is read as a
// recording, and, packed behind a header, as a recording's body (so
// that the body's reader is reached past the compressed data's check).
// The reader's own error is expected; a crash, a sanitizer
// report, another exception, or a recording that does not survive a write
// and a second read is a finding.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <zlib.h>

#include "services/Recording.h"

using namespace fusewick;

namespace {
void Check(bool ok) {
  if (!ok) std::abort();
}

void Put(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char(uint8_t(v >> (8 * i)));
}

// The bytes as a recording's body, in a header that is right.
std::string AsBody(const uint8_t* data, size_t size) {
  uLongf packedSize = compressBound(uLong(size));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, data, uLong(size), 1) != Z_OK) std::abort();
  packed.resize(packedSize);
  std::string out = "FWRC";
  Put(out, kRecordingFormatVersion, 2);
  out += char(0);
  Put(out, kLogicVersion, 4);
  Put(out, 0, 8);
  Put(out, size, 4);
  Put(out, packed.size(), 4);
  return out + packed;
}

void ReadOne(std::string_view bytes) {
  TRecording r;
  try {
    r = DecodeRecording(bytes);
  } catch (const ERecordingError&) {
    return;
  }
  const TRecording again = DecodeRecording(EncodeRecording(r));
  Check(again.LogicVersion == r.LogicVersion && again.ImageFingerprint == r.ImageFingerprint &&
        again.GameVersion == r.GameVersion);
  Check(again.Start.Seed == r.Start.Seed && again.Start.StartLevel == r.Start.StartLevel);
  Check(again.Ticks == r.Ticks && again.TickStream == r.TickStream && again.Levels == r.Levels);
  Check(again.FinalScore == r.FinalScore && again.FinalLevel == r.FinalLevel && again.Name == r.Name);
  // Every tick reads back within its bounds.
  TTickReader ticks(r.TickStream);
  TRecordedTick t;
  int32_t n = 0;
  while (ticks.Next(t)) ++n;
  Check(n == r.Ticks);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ReadOne(std::string_view(reinterpret_cast<const char*>(data), size));
  if (size <= kMaxRecordingBytes) ReadOne(AsBody(data, size));
  return 0;
}
