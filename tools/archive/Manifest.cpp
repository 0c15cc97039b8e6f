#include "Manifest.h"

#include <charconv>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>

#include "engine/Archive.h"

namespace fusewick::tool {

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string f; in >> f;) out.push_back(f);
  return out;
}

bool ParseInt(const std::string& s, int32_t& v) {
  const char* end = s.data() + s.size();
  auto r = std::from_chars(s.data(), end, v);
  return r.ec == std::errc() && r.ptr == end;
}

bool ParsePair(const std::string& s, int32_t& a, int32_t& b) {
  const size_t comma = s.find(',');
  return comma != std::string::npos && ParseInt(s.substr(0, comma), a) && ParseInt(s.substr(comma + 1), b);
}

bool ParseFlag(const std::string& s, bool& v) {
  if (s == "0" || s == "1") {
    v = s == "1";
    return true;
  }
  return false;
}

bool ParseColor(const std::string& s, TColor& value, std::string& ident) {
  if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    if (s.size() > 10) return false;
    const char* end = s.data() + s.size();
    uint32_t v = 0;
    auto r = std::from_chars(s.data() + 2, end, v, 16);
    if (r.ec != std::errc() || r.ptr != end) return false;
    value = v;
    ident.clear();
    return true;
  }
  if (auto c = IdentToColor(s)) {
    value = *c;
    ident = s;
    return true;
  }
  return false;
}

std::string Hex(TColor c) {
  char buf[16];
  std::snprintf(buf, sizeof buf, c > 0xFFFFFF ? "0x%08X" : "0x%06X", unsigned(c));
  return buf;
}

}  // namespace

TManifest ParseManifest(const std::string& text, const std::string& folder, const std::string& displayName) {
  TManifest m;
  bool haveKind = false;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    auto fail = [&](const std::string& what) {
      throw std::runtime_error(displayName + ":" + std::to_string(lineNo) + ": " + what);
    };
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto f = Fields(line);
    if (f.empty() || f[0][0] == '#') continue;
    if (!haveKind) {
      if (f[0] != "archive" || f.size() != 2 || (f[1] != "images" && f[1] != "waves"))
        fail("the first entry must be 'archive images' or 'archive waves'");
      m.Waves = f[1] == "waves";
      haveKind = true;
      continue;
    }
    if (f[0] == "archive") fail("a second 'archive' entry");
    if (f[0] != "image" && f[0] != "wave") fail("unknown entry '" + f[0] + "'");
    if ((f[0] == "wave") != m.Waves) fail("a " + f[0] + " entry in an archive of " + (m.Waves ? "waves" : "images"));
    if (f.size() < 3) fail("expected: " + f[0] + " NAME FILE [options]");
    const std::string file = (std::filesystem::path(folder) / f[2]).string();
    if (f[0] == "image") {
      TManifest::ImageEntry e;
      e.Item.Name = f[1];
      e.File = file;
      e.Line = lineNo;
      for (size_t i = 3; i < f.size(); ++i) {
        const size_t eq = f[i].find('=');
        const std::string key = f[i].substr(0, eq), value = eq == std::string::npos ? "" : f[i].substr(eq + 1);
        bool ok = eq != std::string::npos;
        if (!ok) {
        } else if (key == "pattern") {
          ok = ParsePair(value, e.Item.PatternWidth, e.Item.PatternHeight);
        } else if (key == "skip") {
          ok = ParsePair(value, e.Item.SkipWidth, e.Item.SkipHeight);
        } else if (key == "transparent") {
          ok = ParseFlag(value, e.Item.Transparent);
        } else if (key == "color") {
          ok = ParseColor(value, e.Item.TransparentColor, e.Item.TransparentColorIdent);
        } else if (key == "systemmemory") {
          ok = ParseFlag(value, e.Item.SystemMemory);
        } else {
          fail("unknown image option '" + f[i] + "'");
        }
        if (!ok) fail("bad image option '" + f[i] + "'");
      }
      m.Images.push_back(std::move(e));
    } else {
      TManifest::WaveEntry e;
      e.Item.Name = f[1];
      e.File = file;
      e.Line = lineNo;
      for (size_t i = 3; i < f.size(); ++i) {
        const size_t eq = f[i].find('=');
        const std::string key = f[i].substr(0, eq), value = eq == std::string::npos ? "" : f[i].substr(eq + 1);
        bool ok = eq != std::string::npos;
        if (!ok) {
        } else if (key == "looped") {
          ok = ParseFlag(value, e.Item.Looped);
        } else if (key == "maxplaying") {
          ok = ParseInt(value, e.Item.MaxPlayingCount);
        } else {
          fail("unknown wave option '" + f[i] + "'");
        }
        if (!ok) fail("bad wave option '" + f[i] + "'");
      }
      m.WaveEntries.push_back(std::move(e));
    }
  }
  if (!haveKind) throw std::runtime_error(displayName + ": no 'archive images' or 'archive waves' entry");
  return m;
}

TManifest ReadManifest(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadWholeFile(path, kMaxManifestBytes);
  return ParseManifest(std::string(bytes.begin(), bytes.end()), std::filesystem::path(path).parent_path().string(),
                       path);
}

std::string ImageManifestLine(const TImageArchiveItem& item, const std::string& file) {
  std::string s = "image " + item.Name + " " + file;
  if (item.PatternWidth != 0 || item.PatternHeight != 0)
    s += " pattern=" + std::to_string(item.PatternWidth) + "," + std::to_string(item.PatternHeight);
  if (item.SkipWidth != 0 || item.SkipHeight != 0)
    s += " skip=" + std::to_string(item.SkipWidth) + "," + std::to_string(item.SkipHeight);
  if (!item.Transparent) s += " transparent=0";
  if (!item.TransparentColorIdent.empty())
    s += " color=" + item.TransparentColorIdent;
  else if (item.TransparentColor != 0)
    s += " color=" + Hex(item.TransparentColor);
  if (item.SystemMemory) s += " systemmemory=1";
  return s;
}

std::string WaveManifestLine(const TWaveArchiveItem& item, const std::string& file) {
  std::string s = "wave " + item.Name + " " + file;
  if (item.Looped) s += " looped=1";
  if (item.MaxPlayingCount != 0) s += " maxplaying=" + std::to_string(item.MaxPlayingCount);
  return s;
}

}  // namespace fusewick::tool
