#pragma once
// Little-endian byte output for the file writers.
#include <cstdint>
#include <string>
#include <vector>

namespace fusewick::audio {

class ByteWriter {
 public:
  void U8(uint8_t v) { bytes_.push_back(v); }
  void U16(uint16_t v) { U8(uint8_t(v)), U8(uint8_t(v >> 8)); }
  void U32(uint32_t v) { U16(uint16_t(v)), U16(uint16_t(v >> 16)); }
  void Text(const std::string& s) { bytes_.insert(bytes_.end(), s.begin(), s.end()); }
  // `s` cut or padded with `pad` to exactly `width` bytes.
  void Fixed(const std::string& s, size_t width, char pad = '\0') {
    for (size_t i = 0; i < width; ++i) U8(uint8_t(i < s.size() ? s[i] : pad));
  }
  void Append(const std::vector<uint8_t>& b) { bytes_.insert(bytes_.end(), b.begin(), b.end()); }
  size_t Size() const { return bytes_.size(); }
  void Patch32(size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes_[at + i] = uint8_t(v >> (8 * i));
  }
  void Patch16(size_t at, uint16_t v) { bytes_[at] = uint8_t(v), bytes_[at + 1] = uint8_t(v >> 8); }
  std::vector<uint8_t> Take() { return std::move(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace fusewick::audio
