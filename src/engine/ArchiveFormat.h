#pragma once
// The archive container shared by image archives (".dxg") and sound archives
// (".dxw"): a small resource header, then an object stream ("TPF0") holding
// one collection of named items. This file decodes an archive into a plain
// model (item properties and decoded payloads) and writes one back; the
// collections and the archive tool both work from the model.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/Errors.h"
#include "engine/Picture.h"
#include "engine/RiffWave.h"
#include "engine/Types.h"

namespace fusewick {

// Value type bytes of the object stream.
enum TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
};

// Colour identifiers ("clFuchsia", "clBtnFace") and their values.
std::optional<TColor> IdentToColor(const std::string& ident);
// The identifier of a colour value, or empty when it has none.
std::string ColorToIdent(TColor color);

struct TImageArchiveItem {
  std::string Name;
  int32_t PatternWidth = 0;   // stored value; 0 = picture width
  int32_t PatternHeight = 0;  // stored value; 0 = picture height
  int32_t SkipWidth = 0;
  int32_t SkipHeight = 0;
  bool SystemMemory = false;
  bool Transparent = true;
  TColor TransparentColor = 0;
  std::string TransparentColorIdent;  // set when stored as an identifier
  // The decoded picture; null when the item has none (no "Picture.Data",
  // an empty payload, or a graphic class other than "TDIB").
  std::shared_ptr<TDIB> Picture;
  // Bitmap bytes for the writer to store unchanged (a .bmp file that the
  // archive tool packs as it is); when empty the writer encodes Picture.
  // The reader leaves it empty.
  std::vector<uint8_t> PictureData;

  // Pattern size as drawn: the stored value when > 0, else the picture's.
  int32_t ActualPatternWidth() const;
  int32_t ActualPatternHeight() const;
  // Number of patterns the picture is cut into (columns x rows).
  int PatternCount() const;
};

struct TImageArchive {
  std::optional<std::array<uint8_t, 1024>> ColorTable;
  std::vector<TImageArchiveItem> Items;
};

struct TWaveArchiveItem {
  std::string Name;
  bool Looped = false;
  int32_t MaxPlayingCount = 0;
  std::vector<uint8_t> Riff;  // the complete RIFF WAVE image, as stored
  TWaveData Wave;             // its format and samples
};

struct TWaveArchive {
  std::vector<TWaveArchiveItem> Items;
};

// Bounds of what the readers take, far beyond the game's own archives: the
// items of one collection, and the pixels of all pictures of one archive
// together (a few bytes of run-length data can stand for many pixels).
constexpr size_t kMaxArchiveItems = 65536;
constexpr int64_t kMaxArchivePixels = 32 * 1024 * 1024;

// Read an archive held in memory. Items are appended to `into` as they are
// read, so after an error the items read before it are still there. Raises
// EStreamError: "Invalid stream format" (container header, signature,
// unexpected structure, more items than the bound), "DIB is invalid"
// (also for pictures beyond the pixel bound), "Wave is invalid", and
// EReadError "Stream read error" when the bytes end early, in the stream
// or inside a bitmap or RIFF image.
void ReadImageArchive(const uint8_t* data, size_t size, TImageArchive& into);
void ReadWaveArchive(const uint8_t* data, size_t size, TWaveArchive& into);

// The class name of an archive's root object ("TPictureCollectionComponent",
// "TWaveCollectionComponent"); raises like the readers.
std::string ReadArchiveClassName(const uint8_t* data, size_t size);

// Write an archive; the result reads back to the same model.
std::vector<uint8_t> WriteImageArchive(const TImageArchive& archive);
std::vector<uint8_t> WriteWaveArchive(const TWaveArchive& archive);

// Low-level writer of the object stream, for the archive writer and for
// hand-made archives in tests.
class TObjectWriter {
 public:
  void Byte(uint8_t b) { bytes_.push_back(b); }
  void Raw(const void* data, size_t size);
  void U16(uint16_t v);
  void U32(uint32_t v);
  void ShortString(const std::string& s);  // length byte, then the bytes
  // Values, each with its type byte.
  void Integer(int32_t v);            // smallest of vaInt8, vaInt16, vaInt32
  void String(const std::string& s);  // vaString, or vaLString past 255 bytes
  void Ident(const std::string& s);
  void Bool(bool v);
  void Binary(const void* data, size_t size);
  // A property: its name, then the caller writes the value.
  void Property(const std::string& name) { ShortString(name); }
  // Resource header (type 10, the given name) and the signature; Finish
  // fills in the data size.
  void BeginContainer(const std::string& resourceName);
  std::vector<uint8_t> Finish();
  std::vector<uint8_t>& Bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t sizeAt_ = 0;
};

}  // namespace fusewick
