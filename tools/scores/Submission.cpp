#include "Submission.h"

#include <cstdint>
#include <optional>

#include "services/ResultCode.h"

namespace fusewick::scores {

namespace {

// Takes the expected literal off the front of rest.
bool Expect(std::string_view& rest, std::string_view literal) {
  if (rest.substr(0, literal.size()) != literal) return false;
  rest.remove_prefix(literal.size());
  return true;
}

// Takes the text up to the next separator (not included) off the front.
bool TakeUntil(std::string_view& rest, std::string_view separator, std::string_view& field) {
  size_t at = rest.find(separator);
  if (at == std::string_view::npos) return false;
  field = rest.substr(0, at);
  rest.remove_prefix(at);
  return true;
}

bool ParseScore(std::string_view text, int32_t& out) {
  bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 10 || (text[0] == '0' && text.size() > 1)) return false;
  int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (negative) v = -v;
  if (v < INT32_MIN || v > INT32_MAX || (negative && v == 0)) return false;
  out = int32_t(v);
  return true;
}

bool IsName(std::string_view name) {
  for (char c : name)
    if (!((c >= 'A' && c <= 'Z') || c == ' ')) return false;
  return true;
}

bool IsEcho(std::string_view echo) {
  if (echo.size() != 32) return false;
  for (char c : echo)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

bool ParseSubmission(std::string_view code, TSubmission& out, std::string& why) {
  if (code.empty() || code.size() > MaxCodeLength) {
    why = "code missing or too long";
    return false;
  }
  std::optional<std::string> decoded = DecodeResult(code);
  if (!decoded) {
    why = "not a result code";
    return false;
  }
  std::string_view rest = *decoded;

  // The record ends in "|z=" and the "0"s that pad it to a multiple of 5.
  size_t end = rest.rfind("|z=");
  if (end == std::string_view::npos || rest.size() - (end + 3) >= 5 ||
      rest.substr(end + 3).find_first_not_of('0') != std::string_view::npos) {
    why = "record end missing";
    return false;
  }
  rest = rest.substr(0, end);

  std::string_view name, score, echo;
  if (!Expect(rest, "type=0|name=") || !TakeUntil(rest, "|score=", name) || !Expect(rest, "|score=") ||
      !TakeUntil(rest, "|key=X|p=", score) || !Expect(rest, "|key=X|p=") || !TakeUntil(rest, "|add=", echo) ||
      !Expect(rest, "|add=")) {
    why = "record fields missing";
    return false;
  }
  std::string_view note = TrimSpaces(rest);

  TSubmission s;
  if (!IsName(name)) {
    why = "bad name";
    return false;
  }
  if (!ParseScore(score, s.Score)) {
    why = "bad score";
    return false;
  }
  if (!IsEcho(echo)) {
    why = "bad echo value";
    return false;
  }
  for (char c : note)
    if (c < 32 || c > 126) {
      why = "bad free text";
      return false;
    }
  s.Shortened = name.size() > MaxFieldLength || note.size() > MaxFieldLength;
  s.Name = name.substr(0, MaxFieldLength);
  s.Echo = echo;
  s.Note = note.substr(0, MaxFieldLength);
  out = std::move(s);
  return true;
}

}  // namespace fusewick::scores
