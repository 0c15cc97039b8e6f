#include "engine/Errors.h"

#include <cstdio>
#include <vector>

namespace fusewick {

namespace {
template <typename T>
std::string FormatOne(const char* fmt, T arg) {
  int n = std::snprintf(nullptr, 0, fmt, arg);
  if (n < 0) return fmt;
  std::vector<char> buf(size_t(n) + 1);
  std::snprintf(buf.data(), buf.size(), fmt, arg);
  return std::string(buf.data(), size_t(n));
}
}  // namespace

std::string Format(const char* fmt, const std::string& arg) { return FormatOne(fmt, arg.c_str()); }
std::string Format(const char* fmt, long long arg) {
  // Messages are written with %d; widen the format for a long long.
  std::string f(fmt);
  for (size_t i = 0; (i = f.find("%d", i)) != std::string::npos; i += 3) f.replace(i, 2, "%lld");
  return FormatOne(f.c_str(), arg);
}

}  // namespace fusewick
