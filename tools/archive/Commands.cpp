#include "Commands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <ostream>
#include <set>
#include <stdexcept>

#include "Bmp.h"
#include "Manifest.h"
#include "Png.h"
#include "Sheet.h"
#include "engine/Archive.h"
#include "engine/ArchiveFormat.h"
#include "engine/Dib.h"
#include "engine/Errors.h"

namespace fs = std::filesystem;

namespace fusewick::tool {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool IsWaveArchive(const std::vector<uint8_t>& bytes) {
  return Lower(ReadArchiveClassName(bytes.data(), bytes.size())) == "twavecollectioncomponent";
}

std::string ColorText(const TImageArchiveItem& item) {
  char buf[16];
  std::snprintf(buf, sizeof buf, item.TransparentColor > 0xFFFFFF ? "0x%08X" : "0x%06X",
                unsigned(item.TransparentColor));
  std::string s = buf;
  const std::string ident = ColorToIdent(item.TransparentColor);
  if (!ident.empty()) s += " " + ident;
  return s;
}

// Reads the whole archive; an error after some items still answers those
// items and then raises.
template <typename Model>
void ReadModel(const std::vector<uint8_t>& bytes, Model& model, std::string& error) {
  try {
    if constexpr (std::is_same_v<Model, TImageArchive>)
      ReadImageArchive(bytes.data(), bytes.size(), model);
    else
      ReadWaveArchive(bytes.data(), bytes.size(), model);
  } catch (const Exception& e) {
    error = e.what();
  }
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + tmp);
  }
  fs::rename(tmp, path);
}

// A file name for an item: the name's letters, digits, '-', '_' and '.'
// kept, anything else (path separators included) turned into '_', and a
// "~N" suffix where two names would give the same file.
std::string FileNameFor(const std::string& name, std::set<std::string>& used) {
  std::string base;
  for (char c : name)
    base += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') ? c : '_';
  if (base.empty() || base[0] == '.') base = "_" + base;
  std::string candidate = base;
  for (int n = 2; used.count(Lower(candidate)); ++n) candidate = base + "~" + std::to_string(n);
  used.insert(Lower(candidate));
  return candidate;
}

// Manifest names cannot hold spaces.
std::string ManifestName(const std::string& name, std::ostream& err) {
  std::string s = name;
  for (char& c : s)
    if (std::isspace(static_cast<unsigned char>(c)) || c == '#') c = '_';
  if (s != name) err << "warning: name '" << name << "' written to the manifest as '" << s << "'\n";
  return s;
}

}  // namespace

void ListArchive(const std::string& archive, std::ostream& out) {
  const auto bytes = ReadWholeFile(archive);
  std::string error;
  if (IsWaveArchive(bytes)) {
    TWaveArchive model;
    ReadModel(bytes, model, error);
    for (const auto& item : model.Items) {
      const TWaveFormatInfo f = WaveFormatInfo(item.Wave.Format);
      const double frames = f.BlockAlign ? double(item.Wave.Samples.size() / f.BlockAlign) : 0.0;
      char buf[160];
      std::snprintf(buf, sizeof buf, "  %u ch  %u Hz  %u bit  %.3f s", unsigned(f.Channels), unsigned(f.SamplesPerSec),
                    unsigned(f.BitsPerSample), f.SamplesPerSec ? frames / f.SamplesPerSec : 0.0);
      out << item.Name << buf;
      if (f.FormatTag != 1) out << "  format " << f.FormatTag;
      if (item.Looped) out << "  looped";
      if (item.MaxPlayingCount) out << "  maxplaying " << item.MaxPlayingCount;
      out << "\n";
    }
  } else {
    TImageArchive model;
    ReadModel(bytes, model, error);
    for (const auto& item : model.Items) {
      out << item.Name;
      if (!item.Picture) {
        out << "  no picture\n";
        continue;
      }
      out << "  " << item.Picture->Width << "x" << item.Picture->Height << "  pattern " << item.ActualPatternWidth()
          << "x" << item.ActualPatternHeight() << "  patterns " << item.PatternCount();
      if (item.SkipWidth || item.SkipHeight) out << "  skip " << item.SkipWidth << "x" << item.SkipHeight;
      out << "  transparent " << (item.Transparent ? ColorText(item) : "off");
      if (item.SystemMemory) out << "  systemmemory";
      out << "\n";
    }
  }
  if (!error.empty()) throw std::runtime_error(archive + ": " + error);
}

void ExtractArchive(const std::string& archive, const std::string& dir, std::ostream& err) {
  const auto bytes = ReadWholeFile(archive);
  fs::create_directories(dir);
  std::set<std::string> used{"manifest.txt"};
  std::string manifest, error;
  if (IsWaveArchive(bytes)) {
    TWaveArchive model;
    ReadModel(bytes, model, error);
    manifest = "archive waves\n";
    for (const auto& item : model.Items) {
      const std::string file = FileNameFor(item.Name, used) + ".wav";
      WriteFile((fs::path(dir) / file).string(), item.Riff);
      manifest += WaveManifestLine(
                      TWaveArchiveItem{ManifestName(item.Name, err), item.Looped, item.MaxPlayingCount, {}, {}}, file) +
                  "\n";
    }
  } else {
    TImageArchive model;
    ReadModel(bytes, model, error);
    manifest = "archive images\n";
    for (const auto& item : model.Items) {
      if (!item.Picture) {
        err << "warning: '" << item.Name << "' has no picture; left out\n";
        manifest += "# " + item.Name + " has no picture\n";
        continue;
      }
      const std::string file = FileNameFor(item.Name, used) + ".png";
      WritePng((fs::path(dir) / file).string(), *item.Picture);
      TImageArchiveItem entry = item;
      entry.Name = ManifestName(item.Name, err);
      manifest += ImageManifestLine(entry, file) + "\n";
    }
  }
  WriteFile((fs::path(dir) / "manifest.txt").string(), std::vector<uint8_t>(manifest.begin(), manifest.end()));
  if (!error.empty()) throw std::runtime_error(archive + ": " + error + " (the items before it were extracted)");
}

void PackArchive(const std::string& manifestPath, const std::string& outPath) {
  const TManifest m = ReadManifest(manifestPath);
  std::map<std::string, int> names;  // lower-case name -> line
  auto claim = [&](const std::string& name, int line) {
    auto [it, fresh] = names.emplace(Lower(name), line);
    if (!fresh)
      throw std::runtime_error(manifestPath + ":" + std::to_string(line) + ": name '" + name +
                               "' already used on line " + std::to_string(it->second));
  };
  std::vector<uint8_t> bytes;
  if (m.Waves) {
    TWaveArchive archive;
    for (const auto& e : m.WaveEntries) {
      claim(e.Item.Name, e.Line);
      TWaveArchiveItem item = e.Item;
      item.Riff = ReadWholeFile(e.File);
      try {
        item.Wave = DecodeWave(item.Riff.data(), item.Riff.size());
      } catch (const Exception& ex) {
        throw std::runtime_error(e.File + ": " + ex.what());
      }
      archive.Items.push_back(std::move(item));
    }
    if (archive.Items.size() > kMaxArchiveItems)
      throw std::runtime_error(manifestPath + ": more items than the game reads");
    bytes = WriteWaveArchive(archive);
  } else {
    TImageArchive archive;
    int64_t pixels = 0;
    for (const auto& e : m.Images) {
      claim(e.Item.Name, e.Line);
      TImageArchiveItem item = e.Item;
      const std::string ext = Lower(fs::path(e.File).extension().string());
      try {
        if (ext == ".bmp") {
          item.PictureData = BmpToDib(ReadWholeFile(e.File));
          item.Picture = std::make_shared<TDIB>(DecodeDib(item.PictureData.data(), item.PictureData.size()));
        } else {
          item.Picture = std::make_shared<TDIB>(ReadPng(e.File));
          if (item.Picture->Width > kMaxDibSide || item.Picture->Height > kMaxDibSide ||
              int64_t(item.Picture->Width) * item.Picture->Height > kMaxDibPixels)
            throw std::runtime_error("picture larger than the game reads");
        }
      } catch (const std::exception& ex) {
        throw std::runtime_error(e.File + ": " + ex.what());
      }
      if (item.PatternCount() == 0)
        throw std::runtime_error(manifestPath + ":" + std::to_string(e.Line) + ": '" + item.Name +
                                 "' has no whole pattern in its " + std::to_string(item.Picture->Width) + "x" +
                                 std::to_string(item.Picture->Height) + " picture");
      pixels += int64_t(item.Picture->Width) * item.Picture->Height;
      if (pixels > kMaxArchivePixels)
        throw std::runtime_error(manifestPath + ":" + std::to_string(e.Line) + ": the pictures up to '" + item.Name +
                                 "' hold more pixels than the game reads from one archive");
      archive.Items.push_back(std::move(item));
    }
    if (archive.Items.size() > kMaxArchiveItems)
      throw std::runtime_error(manifestPath + ": more items than the game reads");
    bytes = WriteImageArchive(archive);
  }
  if (bytes.size() > kMaxArchiveBytes)
    throw std::runtime_error(outPath + ": the archive would be larger than the game reads (" +
                             std::to_string(kMaxArchiveBytes >> 20) + " MB)");
  WriteFile(outPath, bytes);
}

void SheetOfArchive(const std::string& archivePath, const std::string& png) {
  const auto bytes = ReadWholeFile(archivePath);
  if (IsWaveArchive(bytes)) throw std::runtime_error(archivePath + ": a sound archive has no pictures");
  TImageArchive model;
  std::string error;
  ReadModel(bytes, model, error);
  if (!error.empty()) throw std::runtime_error(archivePath + ": " + error);
  WritePng(png, ContactSheet(model));
}

int RunArchiveTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const char* usage =
      "usage: fusewick-archive list ARCHIVE\n"
      "       fusewick-archive extract ARCHIVE DIR\n"
      "       fusewick-archive pack MANIFEST OUT\n"
      "       fusewick-archive sheet ARCHIVE OUT.png\n";
  if (args.empty()) {
    err << usage;
    return 2;
  }
  const std::string& cmd = args[0];
  const size_t want = cmd == "list" ? 2 : (cmd == "extract" || cmd == "pack" || cmd == "sheet") ? 3 : 0;
  if (want == 0 || args.size() != want) {
    err << usage;
    return 2;
  }
  try {
    if (cmd == "list")
      ListArchive(args[1], out);
    else if (cmd == "extract")
      ExtractArchive(args[1], args[2], err);
    else if (cmd == "pack")
      PackArchive(args[1], args[2]);
    else
      SheetOfArchive(args[1], args[2]);
  } catch (const std::exception& e) {
    err << "fusewick-archive: " << e.what() << "\n";
    return 1;
  }
  return 0;
}

}  // namespace fusewick::tool
