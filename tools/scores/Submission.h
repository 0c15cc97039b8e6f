#pragma once
// Reading a submitted result: the code of the "inf" parameter decoded and its
// record taken apart and checked field by field.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fusewick::scores {

inline constexpr size_t MaxNameLength = 32;
inline constexpr size_t MaxNoteLength = 64;
// 640 bytes of record: a long free text of spaces still fits.
inline constexpr size_t MaxCodeLength = 1024;

struct TSubmission {
  std::string Name;
  int32_t Score = 0;
  std::string Echo;
  std::string Note;  // the free text, spaces at its ends dropped
};

// Decodes and checks a code. On failure returns false and says why.
bool ParseSubmission(std::string_view code, TSubmission& out, std::string& why);

}  // namespace fusewick::scores
