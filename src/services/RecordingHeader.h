#pragma once
// The fixed start of a recording file, readable on its own (the score server
// routes an upload to the verifier of its logic version from it):
//
//   "FWRC", format version (2 bytes), game version (1 byte length, text),
//   logic version (4 bytes), images fingerprint (8 bytes), body size (4 bytes),
//   packed body size (4 bytes)
//
// All numbers little-endian. Depends on nothing but the standard library.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fusewick {

inline constexpr const char* kRecordingMagic = "FWRC";
constexpr uint16_t kRecordingFormatVersion = 2;
constexpr size_t kMaxGameVersionBytes = 32;

struct TRecordingHeader {
  uint16_t Format = 0;
  std::string GameVersion;
  uint32_t LogicVersion = 0;
  uint64_t ImageFingerprint = 0;
  uint32_t BodyBytes = 0, PackedBytes = 0;
  size_t Size = 0;  // the header's bytes: the packed body follows
};

enum class THeaderRead {
  Read,       // the whole header, of this format
  NotOne,     // not a recording (magic missing)
  OldFormat,  // a recording of another format: only Format is set
  Short,      // it ends inside the header
  BadText,    // the game version is too long or not printable ASCII
};

inline THeaderRead ReadRecordingHeader(std::string_view bytes, TRecordingHeader& h) {
  size_t at = 0;
  auto fixed = [&](int n, uint64_t& v) {
    if (bytes.size() - at < size_t(n)) return false;
    v = 0;
    for (int i = 0; i < n; ++i) v |= uint64_t(uint8_t(bytes[at + size_t(i)])) << (8 * i);
    at += size_t(n);
    return true;
  };
  if (bytes.size() < 4 || bytes.substr(0, 4) != kRecordingMagic) return THeaderRead::NotOne;
  at = 4;
  uint64_t v = 0;
  if (!fixed(2, v)) return THeaderRead::Short;
  h.Format = uint16_t(v);
  if (h.Format != kRecordingFormatVersion) return THeaderRead::OldFormat;
  if (!fixed(1, v)) return THeaderRead::Short;
  if (v > kMaxGameVersionBytes) return THeaderRead::BadText;
  if (bytes.size() - at < v) return THeaderRead::Short;
  h.GameVersion = std::string(bytes.substr(at, size_t(v)));
  at += size_t(v);
  for (char c : h.GameVersion)
    if (uint8_t(c) < 0x20 || uint8_t(c) > 0x7E) return THeaderRead::BadText;
  if (!fixed(4, v)) return THeaderRead::Short;
  h.LogicVersion = uint32_t(v);
  if (!fixed(8, h.ImageFingerprint)) return THeaderRead::Short;
  if (!fixed(4, v)) return THeaderRead::Short;
  h.BodyBytes = uint32_t(v);
  if (!fixed(4, v)) return THeaderRead::Short;
  h.PackedBytes = uint32_t(v);
  h.Size = at;
  return THeaderRead::Read;
}

}  // namespace fusewick
