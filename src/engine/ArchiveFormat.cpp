#include "engine/ArchiveFormat.h"

#include <cctype>
#include <cstring>
#include <functional>

#include "engine/Dib.h"

namespace fusewick {

namespace {

[[noreturn]] void InvalidFormat() { throw EStreamError("Invalid stream format"); }

bool SameText(const std::string& a, const char* b) {
  const size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

struct ColorName {
  const char* Ident;
  TColor Value;
};

constexpr ColorName kColorNames[] = {
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clMoneyGreen", 0xC0DCC0},
    {"clSkyBlue", 0xF0CAA6},
    {"clCream", 0xF0FBFF},
    {"clMedGray", 0xA4A0A0},
    {"clNone", 0x1FFFFFFF},
    {"clDefault", 0x20000000},
    // The desktop's system colours, 0xFF000000 + their number.
    {"clScrollBar", 0xFF000000},
    {"clBackground", 0xFF000001},
    {"clActiveCaption", 0xFF000002},
    {"clInactiveCaption", 0xFF000003},
    {"clMenu", 0xFF000004},
    {"clWindow", 0xFF000005},
    {"clWindowFrame", 0xFF000006},
    {"clMenuText", 0xFF000007},
    {"clWindowText", 0xFF000008},
    {"clCaptionText", 0xFF000009},
    {"clActiveBorder", 0xFF00000A},
    {"clInactiveBorder", 0xFF00000B},
    {"clAppWorkSpace", 0xFF00000C},
    {"clHighlight", 0xFF00000D},
    {"clHighlightText", 0xFF00000E},
    {"clBtnFace", 0xFF00000F},
    {"clBtnShadow", 0xFF000010},
    {"clGrayText", 0xFF000011},
    {"clBtnText", 0xFF000012},
    {"clInactiveCaptionText", 0xFF000013},
    {"clBtnHighlight", 0xFF000014},
    {"cl3DDkShadow", 0xFF000015},
    {"cl3DLight", 0xFF000016},
    {"clInfoText", 0xFF000017},
    {"clInfoBk", 0xFF000018},
    {"clHotLight", 0xFF00001A},
    {"clGradientActiveCaption", 0xFF00001B},
    {"clGradientInactiveCaption", 0xFF00001C},
    {"clMenuHighlight", 0xFF00001D},
    {"clMenuBar", 0xFF00001E},
};

// Nesting deeper than this in skipped values or child objects is refused
// rather than followed (hand-made streams could nest without end).
constexpr int kMaxDepth = 64;

// Bounds-checked reading of the object stream.
class TObjectReader {
 public:
  TObjectReader(const uint8_t* data, size_t size) : p_(data), n_(size) {}

  size_t Remaining() const { return n_ - pos_; }
  void Need(size_t k) const {
    if (k > n_ - pos_) throw EReadError("Stream read error");
  }
  uint8_t Peek() const {
    Need(1);
    return p_[pos_];
  }
  uint8_t Byte() {
    Need(1);
    return p_[pos_++];
  }
  uint16_t U16() {
    Need(2);
    uint16_t v = uint16_t(p_[pos_] | (p_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    Need(4);
    const uint8_t* q = p_ + pos_;
    pos_ += 4;
    return uint32_t(q[0]) | (uint32_t(q[1]) << 8) | (uint32_t(q[2]) << 16) | (uint32_t(q[3]) << 24);
  }
  const uint8_t* Take(size_t k) {
    Need(k);
    const uint8_t* q = p_ + pos_;
    pos_ += k;
    return q;
  }
  std::string Chars(size_t k) {
    const uint8_t* q = Take(k);
    return std::string(reinterpret_cast<const char*>(q), k);
  }
  std::string ShortString() { return Chars(Byte()); }

  // Integer payload of a value whose type byte has been read.
  int32_t IntegerOf(uint8_t type) {
    switch (type) {
      case vaInt8: return int8_t(Byte());
      case vaInt16: return int16_t(U16());
      case vaInt32: return int32_t(U32());
      default: InvalidFormat();
    }
  }
  int32_t Integer() { return IntegerOf(Byte()); }
  std::string String() {
    const uint8_t type = Byte();
    if (type == vaString) return ShortString();
    if (type == vaLString) return Chars(U32());
    InvalidFormat();
  }
  bool Bool() {
    const uint8_t type = Byte();
    if (type == vaFalse) return false;
    if (type == vaTrue) return true;
    InvalidFormat();
  }
  // A binary value: its bytes, checked to be all there.
  std::pair<const uint8_t*, size_t> Binary() {
    if (Byte() != vaBinary) InvalidFormat();
    const uint32_t size = U32();
    return {Take(size), size};
  }
  TColor Color(std::string& ident) {
    const uint8_t type = Byte();
    if (type == vaIdent) {
      ident = ShortString();
      auto c = IdentToColor(ident);
      if (!c) InvalidFormat();
      return *c;
    }
    ident.clear();
    return TColor(IntegerOf(type));
  }

  // Reads past a value of any type whose type byte has been read.
  void SkipValue(uint8_t type, int depth) {
    if (depth > kMaxDepth) InvalidFormat();
    switch (type) {
      case vaList:
        for (uint8_t t; (t = Byte()) != vaNull;) SkipValue(t, depth + 1);
        break;
      case vaInt8:
      case vaInt16:
      case vaInt32: IntegerOf(type); break;
      case vaExtended: Take(10); break;
      case vaString:
      case vaIdent: ShortString(); break;
      case vaFalse:
      case vaTrue:
      case vaNil: break;
      case vaBinary:
      case vaLString: Take(U32()); break;
      case vaSet:
        while (!ShortString().empty()) {
        }
        break;
      case vaCollection: ReadCollection([&] { SkipProperties(depth + 1); }); break;
      default: InvalidFormat();
    }
  }
  void SkipProperties(int depth) {
    while (!ShortString().empty()) SkipValue(Byte(), depth);
  }

  // Items of a collection whose type byte has been read: each an optional
  // order number, the list-begin byte and the item's properties; a 0 byte
  // ends the collection. `item` reads one item's properties.
  void ReadCollection(const std::function<void()>& item) {
    while (Peek() != vaNull) {
      const uint8_t t = Byte();
      if (t == vaInt8 || t == vaInt16 || t == vaInt32) {
        IntegerOf(t);  // order number
        if (Byte() != vaList) InvalidFormat();
      } else if (t != vaList) {
        InvalidFormat();
      }
      item();
    }
    Byte();
  }

  // The object header: optional prefix byte (high four bits set; flag 2
  // means an integer follows), class name and object name.
  std::string ObjectHeader() {
    const uint8_t b = Peek();
    if ((b & 0xF0) == 0xF0) {
      Byte();
      if (b & 2) Integer();
    }
    std::string className = ShortString();  // not compared
    ShortString();                          // object name
    return className;
  }
  // Child objects until a 0 byte; archives have none, so they are read and
  // dropped.
  void SkipChildren(int depth) {
    if (depth > kMaxDepth) InvalidFormat();
    while (Peek() != vaNull) {
      ObjectHeader();
      SkipProperties(depth + 1);
      SkipChildren(depth + 1);
    }
    Byte();
  }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
};

// Resource header, signature and the root object's header; answers the
// root's class name.
std::string ReadContainerHead(TObjectReader& r) {
  if (r.Byte() != 0xFF) InvalidFormat();
  if (r.U16() != 10) InvalidFormat();
  while (r.Byte() != 0) {
  }         // resource name, not tested
  r.U16();  // memory flags
  r.U32();  // data size
  if (r.Chars(4) != "TPF0") InvalidFormat();
  return r.ObjectHeader();
}

// What the pictures of one archive may decode to, all together: a few
// bytes of run-length data or one-bit rows can stand for many pixels.
struct TPictureBudget {
  int64_t Pixels = 0;
};

void ReadPictureData(TObjectReader& r, TImageArchiveItem& item, TPictureBudget& budget) {
  auto [data, size] = r.Binary();
  TObjectReader payload(data, size);
  const std::string graphicClass = payload.ShortString();
  item.Picture.reset();
  if (!SameText(graphicClass, "TDIB")) return;  // not a registered graphic: no picture
  const size_t rest = payload.Remaining();
  if (rest == 0) return;  // an empty bitmap: no picture
  const uint8_t* dib = payload.Take(rest);
  const TDibLayout layout = ReadDibLayout(dib, rest);
  const int64_t pixels = int64_t(layout.Width) * (layout.Height < 0 ? -int64_t(layout.Height) : layout.Height);
  if (pixels > kMaxArchivePixels - budget.Pixels) throw EStreamError("DIB is invalid");
  budget.Pixels += pixels;
  item.Picture = std::make_shared<TDIB>(DecodeDib(dib, rest));
}

void ReadImageItem(TObjectReader& r, TImageArchiveItem& item, TPictureBudget& budget) {
  for (std::string name; !(name = r.ShortString()).empty();) {
    if (SameText(name, "Name"))
      item.Name = r.String();
    else if (SameText(name, "PatternHeight"))
      item.PatternHeight = r.Integer();
    else if (SameText(name, "PatternWidth"))
      item.PatternWidth = r.Integer();
    else if (SameText(name, "Picture.Data"))
      ReadPictureData(r, item, budget);
    else if (SameText(name, "SkipHeight"))
      item.SkipHeight = r.Integer();
    else if (SameText(name, "SkipWidth"))
      item.SkipWidth = r.Integer();
    else if (SameText(name, "SystemMemory"))
      item.SystemMemory = r.Bool();
    else if (SameText(name, "Transparent"))
      item.Transparent = r.Bool();
    else if (SameText(name, "TransparentColor"))
      item.TransparentColor = r.Color(item.TransparentColorIdent);
    else
      InvalidFormat();
  }
}

void ReadWaveItem(TObjectReader& r, TWaveArchiveItem& item) {
  for (std::string name; !(name = r.ShortString()).empty();) {
    if (SameText(name, "Name")) {
      item.Name = r.String();
    } else if (SameText(name, "Looped")) {
      item.Looped = r.Bool();
    } else if (SameText(name, "MaxPlayingCount")) {
      item.MaxPlayingCount = r.Integer();
    } else if (SameText(name, "Wave.WAVE")) {
      auto [data, size] = r.Binary();
      item.Wave = DecodeWave(data, size);
      item.Riff.assign(data, data + size);
    } else {
      InvalidFormat();
    }
  }
}

// Items of the root's "List" collection; reading one item or more first
// removes the items already there. Only whole items are kept, and no more
// than kMaxArchiveItems of them (each item costs memory beyond its bytes).
template <typename Item, typename ReadItem>
void ReadItems(TObjectReader& r, std::vector<Item>& items, ReadItem readItem) {
  if (r.Byte() != vaCollection) InvalidFormat();
  bool first = true;
  r.ReadCollection([&] {
    if (first) items.clear();
    first = false;
    if (items.size() >= kMaxArchiveItems) InvalidFormat();
    Item item;
    readItem(r, item);
    items.push_back(std::move(item));
  });
}

}  // namespace

std::optional<TColor> IdentToColor(const std::string& ident) {
  for (const auto& c : kColorNames)
    if (SameText(ident, c.Ident)) return c.Value;
  return std::nullopt;
}

std::string ColorToIdent(TColor color) {
  for (const auto& c : kColorNames)
    if (c.Value == color) return c.Ident;
  return {};
}

int32_t TImageArchiveItem::ActualPatternWidth() const {
  return PatternWidth > 0 ? PatternWidth : (Picture ? Picture->Width : 0);
}
int32_t TImageArchiveItem::ActualPatternHeight() const {
  return PatternHeight > 0 ? PatternHeight : (Picture ? Picture->Height : 0);
}

int TImageArchiveItem::PatternCount() const {
  if (!Picture || Picture->Empty()) return 0;
  const int64_t w = Picture->Width, h = Picture->Height;
  const int64_t pw = ActualPatternWidth(), ph = ActualPatternHeight();
  if (pw == w && ph == h) return 1;
  const int64_t stepX = pw + SkipWidth, stepY = ph + SkipHeight;
  if (stepX <= 0 || stepY <= 0) return 0;
  const int64_t cols = (w + SkipWidth) / stepX, rows = (h + SkipHeight) / stepY;
  if (cols <= 0 || rows <= 0) return 0;
  return int(cols * rows);
}

std::string ReadArchiveClassName(const uint8_t* data, size_t size) {
  TObjectReader r(data, size);
  return ReadContainerHead(r);
}

void ReadImageArchive(const uint8_t* data, size_t size, TImageArchive& into) {
  TObjectReader r(data, size);
  ReadContainerHead(r);
  TPictureBudget budget;
  for (std::string name; !(name = r.ShortString()).empty();) {
    if (SameText(name, "List.ColorTable")) {
      auto [table, n] = r.Binary();
      if (n != 1024) InvalidFormat();
      std::array<uint8_t, 1024> t{};
      std::memcpy(t.data(), table, n);
      into.ColorTable = t;
    } else if (SameText(name, "List")) {
      ReadItems<TImageArchiveItem>(
          r, into.Items, [&](TObjectReader& in, TImageArchiveItem& item) { ReadImageItem(in, item, budget); });
    } else {
      InvalidFormat();
    }
  }
  r.SkipChildren(0);
}

void ReadWaveArchive(const uint8_t* data, size_t size, TWaveArchive& into) {
  TObjectReader r(data, size);
  ReadContainerHead(r);
  for (std::string name; !(name = r.ShortString()).empty();) {
    if (SameText(name, "List"))
      ReadItems<TWaveArchiveItem>(r, into.Items, ReadWaveItem);
    else
      InvalidFormat();
  }
  r.SkipChildren(0);
}

// ---- writing ----

void TObjectWriter::Raw(const void* data, size_t size) {
  const auto* b = static_cast<const uint8_t*>(data);
  bytes_.insert(bytes_.end(), b, b + size);
}
void TObjectWriter::U16(uint16_t v) {
  Byte(uint8_t(v));
  Byte(uint8_t(v >> 8));
}
void TObjectWriter::U32(uint32_t v) {
  for (int i = 0; i < 4; ++i) Byte(uint8_t(v >> (8 * i)));
}
void TObjectWriter::ShortString(const std::string& s) {
  if (s.size() > 255) throw EStreamError("Name too long: " + s.substr(0, 40) + "...");
  Byte(uint8_t(s.size()));
  Raw(s.data(), s.size());
}
void TObjectWriter::Integer(int32_t v) {
  if (v >= -128 && v <= 127) {
    Byte(vaInt8);
    Byte(uint8_t(int8_t(v)));
  } else if (v >= -32768 && v <= 32767) {
    Byte(vaInt16);
    U16(uint16_t(int16_t(v)));
  } else {
    Byte(vaInt32);
    U32(uint32_t(v));
  }
}
void TObjectWriter::String(const std::string& s) {
  if (s.size() <= 255) {
    Byte(vaString);
    ShortString(s);
  } else {
    Byte(vaLString);
    U32(uint32_t(s.size()));
    Raw(s.data(), s.size());
  }
}
void TObjectWriter::Ident(const std::string& s) {
  Byte(vaIdent);
  ShortString(s);
}
void TObjectWriter::Bool(bool v) { Byte(v ? vaTrue : vaFalse); }
void TObjectWriter::Binary(const void* data, size_t size) {
  Byte(vaBinary);
  U32(uint32_t(size));
  Raw(data, size);
}
void TObjectWriter::BeginContainer(const std::string& resourceName) {
  Byte(0xFF);
  U16(10);
  Raw(resourceName.data(), resourceName.size());
  Byte(0);
  U16(0x1030);  // memory flags: movable, pure, discardable
  sizeAt_ = bytes_.size();
  U32(0);
  Raw("TPF0", 4);
}
std::vector<uint8_t> TObjectWriter::Finish() {
  const uint32_t dataSize = uint32_t(bytes_.size() - sizeAt_ - 4);
  for (int i = 0; i < 4; ++i) bytes_[sizeAt_ + size_t(i)] = uint8_t(dataSize >> (8 * i));
  return std::move(bytes_);
}

std::vector<uint8_t> WriteImageArchive(const TImageArchive& archive) {
  TObjectWriter w;
  w.BeginContainer("TPICTURECOLLECTIONCOMPONENT");
  w.ShortString("TPictureCollectionComponent");
  w.ShortString("");
  if (archive.ColorTable) {
    w.Property("List.ColorTable");
    w.Binary(archive.ColorTable->data(), archive.ColorTable->size());
  }
  w.Property("List");
  w.Byte(vaCollection);
  for (const auto& item : archive.Items) {
    w.Byte(vaList);
    // Like the component streaming it imitates: the name always, the other
    // properties only where they differ from their defaults.
    w.Property("Name");
    w.String(item.Name);
    if (item.PatternHeight != 0) w.Property("PatternHeight"), w.Integer(item.PatternHeight);
    if (item.PatternWidth != 0) w.Property("PatternWidth"), w.Integer(item.PatternWidth);
    std::vector<uint8_t> dib = item.PictureData;
    if (dib.empty() && item.Picture) dib = EncodeDib(*item.Picture);
    if (!dib.empty()) {
      std::vector<uint8_t> payload{4, 'T', 'D', 'I', 'B'};
      payload.insert(payload.end(), dib.begin(), dib.end());
      w.Property("Picture.Data");
      w.Binary(payload.data(), payload.size());
    }
    if (item.SkipHeight != 0) w.Property("SkipHeight"), w.Integer(item.SkipHeight);
    if (item.SkipWidth != 0) w.Property("SkipWidth"), w.Integer(item.SkipWidth);
    if (item.SystemMemory) w.Property("SystemMemory"), w.Bool(true);
    if (!item.Transparent) w.Property("Transparent"), w.Bool(false);
    if (!item.TransparentColorIdent.empty() && IdentToColor(item.TransparentColorIdent) == item.TransparentColor) {
      w.Property("TransparentColor");
      w.Ident(item.TransparentColorIdent);
    } else if (item.TransparentColor != 0) {
      w.Property("TransparentColor");
      w.Integer(int32_t(item.TransparentColor));
    }
    w.Byte(vaNull);
  }
  w.Byte(vaNull);  // end of the collection
  w.Byte(vaNull);  // end of the root's properties
  w.Byte(vaNull);  // no child objects
  return w.Finish();
}

std::vector<uint8_t> WriteWaveArchive(const TWaveArchive& archive) {
  TObjectWriter w;
  w.BeginContainer("TWAVECOLLECTIONCOMPONENT");
  w.ShortString("TWaveCollectionComponent");
  w.ShortString("");
  w.Property("List");
  w.Byte(vaCollection);
  for (const auto& item : archive.Items) {
    w.Byte(vaList);
    w.Property("Name");
    w.String(item.Name);
    if (item.Looped) w.Property("Looped"), w.Bool(true);
    if (item.MaxPlayingCount != 0) w.Property("MaxPlayingCount"), w.Integer(item.MaxPlayingCount);
    if (!item.Riff.empty()) w.Property("Wave.WAVE"), w.Binary(item.Riff.data(), item.Riff.size());
    w.Byte(vaNull);
  }
  w.Byte(vaNull);
  w.Byte(vaNull);
  w.Byte(vaNull);
  return w.Finish();
}

}  // namespace fusewick
