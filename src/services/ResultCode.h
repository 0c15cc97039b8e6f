#pragma once
// The code text that carries a result record in the submission's query:
// every 5 bits of the record become one character of a 32-character
// alphabet without I, O, Z and 0. The game encodes; the score server decodes.
#include <optional>
#include <string>
#include <string_view>

namespace fusewick {

inline constexpr std::string_view ResultCodeAlphabet = "ABCDEFGHJKLMNPQRSTUVWXY123456789";

// Appends "0" until the length in bytes is a multiple of 5.
inline std::string PadResult(std::string text) {
  while (text.size() % 5 != 0) text += '0';
  return text;
}

// Encodes a padded record (length a multiple of 5): 8 characters per 5 bytes,
// the bits read most significant first. Trailing bits of a text that is not
// padded are filled with zeros.
inline std::string EncodeResult(const std::string& text) {
  std::string code;
  code.reserve((text.size() * 8 + 4) / 5);
  unsigned bits = 0;
  int count = 0;
  for (unsigned char byte : text) {
    bits = (bits << 8) | byte;
    count += 8;
    while (count >= 5) {
      count -= 5;
      code += ResultCodeAlphabet[(bits >> count) & 31u];
    }
    bits &= (1u << count) - 1;
  }
  if (count > 0) code += ResultCodeAlphabet[(bits << (5 - count)) & 31u];
  return code;
}

// The inverse of EncodeResult for a whole code: its length must be a
// multiple of 8 and every character from the alphabet.
inline std::optional<std::string> DecodeResult(std::string_view code) {
  if (code.size() % 8 != 0) return std::nullopt;
  std::string text;
  text.reserve(code.size() / 8 * 5);
  unsigned bits = 0;
  int count = 0;
  for (char c : code) {
    size_t value = ResultCodeAlphabet.find(c);
    if (value == std::string_view::npos) return std::nullopt;
    bits = (bits << 5) | unsigned(value);
    count += 5;
    if (count >= 8) {
      count -= 8;
      text += char((bits >> count) & 0xFFu);
      bits &= (1u << count) - 1;
    }
  }
  return text;
}

}  // namespace fusewick
