#pragma once
// Reading a submitted result: the code of the "inf" parameter decoded and its
// record taken apart and checked field by field.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fusewick::scores {

// A name or free text is stored whole up to this many bytes; a longer one
// (the game lets a player type spaces past the visible width) is cut there
// and stored all the same, never refused for its length.
inline constexpr size_t MaxFieldLength = 1024;
// Codes that fit a request target of 8 KiB: 5000 bytes of record.
inline constexpr size_t MaxCodeLength = 8000;

struct TSubmission {
  std::string Name;
  int32_t Score = 0;
  std::string Echo;
  std::string Note;        // the free text, spaces at its ends dropped
  bool Shortened = false;  // the name or the free text was cut to MaxFieldLength
};

// Decodes and checks a code. On failure returns false and says why.
bool ParseSubmission(std::string_view code, TSubmission& out, std::string& why);

}  // namespace fusewick::scores
