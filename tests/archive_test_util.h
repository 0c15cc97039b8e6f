#pragma once
// Hand-made archives and bitmaps for the archive tests.
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/ArchiveFormat.h"

namespace fusewick::testing {

using Bytes = std::vector<uint8_t>;

inline void Append(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }
inline void Put16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// A bitmap payload: the header (12 = core, 40 = info), then masks, colour
// table and pixel bytes as given.
struct DibFields {
  uint32_t HeaderSize = 40;
  int32_t Width = 1, Height = 1;
  uint16_t Bits = 24;
  uint32_t Compression = 0;
  uint32_t ColorsUsed = 0;
  Bytes Masks = {}, Table = {}, Pixels = {};
  int64_t ImageSize = -1;  // -1: the pixel bytes' size
};

inline Bytes MakeDib(const DibFields& s) {
  Bytes b;
  Put32(b, s.HeaderSize);
  if (s.HeaderSize == 12) {
    Put16(b, uint32_t(s.Width));
    Put16(b, uint32_t(s.Height));
    Put16(b, 1);
    Put16(b, s.Bits);
  } else {
    Put32(b, uint32_t(s.Width));
    Put32(b, uint32_t(s.Height));
    Put16(b, 1);
    Put16(b, s.Bits);
    Put32(b, s.Compression);
    Put32(b, uint32_t(s.ImageSize < 0 ? int64_t(s.Pixels.size()) : s.ImageSize));
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, s.ColorsUsed);
    Put32(b, 0);
  }
  Append(b, s.Masks);
  Append(b, s.Table);
  Append(b, s.Pixels);
  return b;
}

// "Picture.Data" payload of a bitmap.
inline Bytes PictureData(const Bytes& dib, const std::string& graphicClass = "TDIB") {
  Bytes b{uint8_t(graphicClass.size())};
  b.insert(b.end(), graphicClass.begin(), graphicClass.end());
  Append(b, dib);
  return b;
}

// A whole archive: container, root object with the given class, then
// `body` writes the root's properties; the writer closes the root.
inline Bytes MakeArchive(const std::function<void(TObjectWriter&)>& body,
                         const std::string& rootClass = "TPictureCollectionComponent") {
  TObjectWriter w;
  w.BeginContainer("ARCHIVE");
  w.ShortString(rootClass);
  w.ShortString("");
  body(w);
  w.Byte(vaNull);  // end of root properties
  w.Byte(vaNull);  // no children
  return w.Finish();
}

// A "List" collection whose items are written by the functions given.
inline void List(TObjectWriter& w, std::initializer_list<std::function<void(TObjectWriter&)>> items) {
  w.Property("List");
  w.Byte(vaCollection);
  for (const auto& item : items) {
    w.Byte(vaList);
    item(w);
    w.Byte(vaNull);
  }
  w.Byte(vaNull);
}

inline Bytes Riff(std::initializer_list<std::pair<std::string, Bytes>> chunks) {
  Bytes body{'W', 'A', 'V', 'E'};
  for (const auto& [id, data] : chunks) {
    body.insert(body.end(), id.begin(), id.end());
    Put32(body, uint32_t(data.size()));
    Append(body, data);
  }
  Bytes b{'R', 'I', 'F', 'F'};
  Put32(b, uint32_t(body.size()));
  Append(b, body);
  return b;
}

// A PCM format block: channels, rate, bits.
inline Bytes PcmFormat(uint16_t channels, uint32_t rate, uint16_t bits) {
  Bytes b;
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, rate);
  Put32(b, rate * channels * bits / 8);
  Put16(b, channels * bits / 8);
  Put16(b, bits);
  return b;
}

}  // namespace fusewick::testing
