// The archive reader: container, object stream, image and sound items, and
// the writer that packs them.
#include <gtest/gtest.h>

#include "archive_test_util.h"
#include "engine/ArchiveFormat.h"
#include "engine/Dib.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

TImageArchive ReadImages(const Bytes& b) {
  TImageArchive a;
  ReadImageArchive(b.data(), b.size(), a);
  return a;
}

// The message of the EStreamError that reading raises, or "" when none.
std::string ImageError(const Bytes& b, TImageArchive* keep = nullptr) {
  TImageArchive a;
  try {
    ReadImageArchive(b.data(), b.size(), a);
  } catch (const EStreamError& e) {
    if (keep) *keep = a;
    return e.what();
  }
  if (keep) *keep = a;
  return "";
}

Bytes TinyDib() {  // 2 x 1, 24 bits: red, green
  return MakeDib({.Width = 2, .Height = 1, .Bits = 24, .Pixels = {0, 0, 255, 0, 255, 0, 0, 0}});
}

auto Named(const std::string& name) {
  return [name](TObjectWriter& w) { w.Property("Name"), w.String(name); };
}
auto WithPicture(const std::string& name, const Bytes& dib) {
  return [name, dib](TObjectWriter& w) {
    w.Property("Name"), w.String(name);
    const Bytes data = PictureData(dib);
    w.Property("Picture.Data"), w.Binary(data.data(), data.size());
  };
}

}  // namespace

TEST(ArchiveContainer, HeaderChecks) {
  const Bytes good = MakeArchive([](TObjectWriter& w) { List(w, {Named("A")}); });
  ASSERT_EQ(ImageError(good), "");
  struct Case {
    const char* what;
    size_t offset;
    uint8_t value;
    const char* error;
  };
  // Resource name "ARCHIVE" is 7 bytes, so the signature starts at 3 + 8 + 6.
  for (const Case& c :
       {Case{"first byte", 0, 0xFE, "Invalid stream format"}, Case{"resource type", 1, 11, "Invalid stream format"},
        Case{"signature", 17 + 3, '1', "Invalid stream format"}, Case{"memory flags are skipped", 11, 0x55, ""},
        Case{"data size is skipped", 13, 0x55, ""}}) {
    Bytes b = good;
    b[c.offset] = c.value;
    EXPECT_EQ(ImageError(b), c.error) << c.what;
  }
  EXPECT_EQ(ImageError({}), "Stream read error");
  EXPECT_EQ(ImageError(Bytes(good.begin(), good.begin() + 12)), "Stream read error");
}

TEST(ArchiveContainer, EmptyResourceNamePutsTheStreamAtOffsetTen) {
  Bytes b{0xFF, 10, 0, 0, 0x30, 0x10, 0, 0, 0, 0};
  TObjectWriter w;
  w.Raw("TPF0", 4);
  w.ShortString("TPictureCollectionComponent");
  w.ShortString("");
  List(w, {Named("Only")});
  w.Byte(0), w.Byte(0);
  Append(b, w.Bytes());
  ASSERT_EQ(b[10], 'T');
  TImageArchive a = ReadImages(b);
  ASSERT_EQ(a.Items.size(), 1u);
  EXPECT_EQ(a.Items[0].Name, "Only");
}

TEST(ArchiveStream, RootPrefixOrderNumbersAndSkippedChildren) {
  TObjectWriter w;
  w.BeginContainer("X");
  w.Byte(0xF2);  // prefix with flag 2: an integer follows
  w.Integer(1000);
  w.ShortString("TPictureCollectionComponent");
  w.ShortString("Images");
  w.Property("List");
  w.Byte(vaCollection);
  for (int order : {5, 300, 100000}) {  // order numbers of each integer width
    w.Integer(order);
    w.Byte(vaList);
    w.Property("Name"), w.String("Item" + std::to_string(order));
    w.Byte(0);
  }
  w.Byte(vaList);  // and one without
  w.Property("Name"), w.String("Plain");
  w.Byte(0);
  w.Byte(0);  // end of collection
  w.Byte(0);  // end of root properties
  // One child object holding a value of every other type; it is read past.
  w.ShortString("TThing"), w.ShortString("Thing");
  w.Property("Ext"), w.Byte(vaExtended), w.Raw("0123456789", 10);
  w.Property("Id"), w.Ident("clRed");
  w.Property("Set"), w.Byte(vaSet), w.ShortString("a"), w.ShortString("b"), w.ShortString("");
  w.Property("Long"), w.Byte(vaLString), w.U32(3), w.Raw("abc", 3);
  w.Property("Nothing"), w.Byte(vaNil);
  w.Property("Many"), w.Byte(vaList), w.Integer(1), w.Bool(true), w.String("s"), w.Byte(vaNull);
  w.Property("Coll"), w.Byte(vaCollection), w.Byte(vaList), w.Property("X"), w.Bool(false), w.Byte(0), w.Byte(0);
  w.Byte(0);  // end of the child's properties
  w.Byte(0);  // the child has no children
  w.Byte(0);  // end of the root's children
  const Bytes b = w.Finish();
  TImageArchive a = ReadImages(b);
  ASSERT_EQ(a.Items.size(), 4u);
  EXPECT_EQ(a.Items[2].Name, "Item100000");
  EXPECT_EQ(a.Items[3].Name, "Plain");
}

TEST(ArchiveStream, UnexpectedPropertiesAndValueTypesAreRefused) {
  struct Case {
    const char* what;
    std::function<void(TObjectWriter&)> item;
  };
  for (const Case& c : {
           Case{"unknown property", [](TObjectWriter& w) { w.Property("Colour"), w.Integer(1); }},
           Case{"string for an integer", [](TObjectWriter& w) { w.Property("PatternWidth"), w.String("8"); }},
           Case{"integer for a flag", [](TObjectWriter& w) { w.Property("Transparent"), w.Integer(1); }},
           Case{"unknown colour identifier",
                [](TObjectWriter& w) { w.Property("TransparentColor"), w.Ident("clPink"); }},
           Case{"unknown value type", [](TObjectWriter& w) { w.Property("SkipWidth"), w.Byte(20); }},
       }) {
    EXPECT_EQ(ImageError(MakeArchive([&](TObjectWriter& w) { List(w, {c.item}); })), "Invalid stream format") << c.what;
  }
  const Bytes shortTable = MakeArchive([](TObjectWriter& w) {
    const Bytes t(1000);
    w.Property("List.ColorTable"), w.Binary(t.data(), t.size());
  });
  EXPECT_EQ(ImageError(shortTable), "Invalid stream format");
}

TEST(ArchiveImages, PropertiesAndDefaults) {
  const Bytes table(1024, 7);
  const Bytes b = MakeArchive([&](TObjectWriter& w) {
    w.Property("List.ColorTable"), w.Binary(table.data(), table.size());
    List(w, {Named("Bare"), [](TObjectWriter& w) {
               w.Property("TransparentColor"), w.Integer(0x00FF00FF);
               w.Property("SystemMemory"), w.Bool(true);
               w.Property("Transparent"), w.Bool(false);
               w.Property("SkipWidth"), w.Integer(-2);
               w.Property("SkipHeight"), w.Integer(300);
               w.Property("PatternWidth"), w.Integer(70000);
               w.Property("PatternHeight"), w.Integer(24);
               w.Property("name"), w.String("Full");  // names of properties ignore case
             }});
  });
  TImageArchive a = ReadImages(b);
  ASSERT_TRUE(a.ColorTable);
  EXPECT_EQ((*a.ColorTable)[1023], 7);
  ASSERT_EQ(a.Items.size(), 2u);
  const auto& bare = a.Items[0];
  EXPECT_EQ(bare.Name, "Bare");
  EXPECT_TRUE(bare.Transparent);
  EXPECT_FALSE(bare.SystemMemory);
  EXPECT_EQ(bare.TransparentColor, 0u);
  EXPECT_EQ(bare.PatternWidth, 0);
  EXPECT_EQ(bare.SkipHeight, 0);
  EXPECT_FALSE(bare.Picture);
  const auto& full = a.Items[1];
  EXPECT_EQ(full.Name, "Full");
  EXPECT_FALSE(full.Transparent);
  EXPECT_TRUE(full.SystemMemory);
  EXPECT_EQ(full.TransparentColor, 0x00FF00FFu);
  EXPECT_EQ(full.SkipWidth, -2);
  EXPECT_EQ(full.SkipHeight, 300);
  EXPECT_EQ(full.PatternWidth, 70000);
  EXPECT_EQ(full.PatternHeight, 24);
}

TEST(ArchiveImages, ColourIdentifiers) {
  struct Case {
    const char* ident;
    TColor value;
  };
  for (const Case& c : {Case{"clFuchsia", 0xFF00FF}, Case{"clRed", 0x0000FF}, Case{"clSkyBlue", 0xF0CAA6},
                        Case{"clNone", 0x1FFFFFFF}, Case{"clDefault", 0x20000000}, Case{"clScrollBar", 0xFF000000},
                        Case{"clBtnFace", 0xFF00000F}, Case{"clHotLight", 0xFF00001A}, Case{"clMenuBar", 0xFF00001E}}) {
    const Bytes b = MakeArchive([&](TObjectWriter& w) {
      List(w, {[&](TObjectWriter& w) { w.Property("TransparentColor"), w.Ident(c.ident); }});
    });
    TImageArchive a = ReadImages(b);
    EXPECT_EQ(a.Items.at(0).TransparentColor, c.value) << c.ident;
    EXPECT_EQ(ColorToIdent(c.value), c.ident);
  }
}

TEST(ArchiveImages, PicturePayloads) {
  const Bytes b = MakeArchive([](TObjectWriter& w) {
    List(w, {WithPicture("Dib", TinyDib()), WithPicture("Empty", {}), [](TObjectWriter& w) {
               const Bytes other = PictureData(TinyDib(), "TJPEGImage");
               w.Property("Picture.Data"), w.Binary(other.data(), other.size());
             }});
  });
  TImageArchive a = ReadImages(b);
  ASSERT_EQ(a.Items.size(), 3u);
  ASSERT_TRUE(a.Items[0].Picture);
  EXPECT_EQ(a.Items[0].Picture->Pixels, (std::vector<uint32_t>{0xFF0000, 0x00FF00}));
  EXPECT_FALSE(a.Items[1].Picture);  // empty payload: no picture
  EXPECT_FALSE(a.Items[2].Picture);  // graphic class we do not know: no picture
  EXPECT_EQ(a.Items[2].PatternCount(), 0);
}

TEST(ArchiveImages, ALaterListReplacesTheItemsButAnEmptyOneDoesNot) {
  const Bytes b = MakeArchive([](TObjectWriter& w) {
    List(w, {Named("Old1"), Named("Old2")});
    List(w, {});
    List(w, {Named("New")});
  });
  TImageArchive a = ReadImages(b);
  ASSERT_EQ(a.Items.size(), 1u);
  EXPECT_EQ(a.Items[0].Name, "New");
}

TEST(ArchiveImages, AFailingLoadKeepsTheItemsReadBeforeTheError) {
  const Bytes badDib = MakeDib({.Width = 2, .Height = 1, .Bits = 7, .Table = Bytes(512), .Pixels = Bytes(4)});
  const Bytes b = MakeArchive([&](TObjectWriter& w) {
    List(w, {WithPicture("First", TinyDib()), WithPicture("Second", TinyDib()), WithPicture("Bad", badDib),
             Named("After")});
  });
  TImageArchive kept;
  EXPECT_EQ(ImageError(b, &kept), "DIB is invalid");
  ASSERT_EQ(kept.Items.size(), 2u);
  EXPECT_EQ(kept.Items[1].Name, "Second");

  // Cut inside the second item's picture: a read error, the first item stays.
  const Bytes good = MakeArchive([&](TObjectWriter& w) {
    List(w, {WithPicture("First", TinyDib()), WithPicture("Second", TinyDib())});
  });
  EXPECT_EQ(ImageError(Bytes(good.begin(), good.end() - 10), &kept), "Stream read error");
  ASSERT_EQ(kept.Items.size(), 1u);
  EXPECT_EQ(kept.Items[0].Name, "First");
}

TEST(ArchiveImages, PatternCount) {
  struct Case {
    int32_t w, h, pw, ph, sw, sh;
    int count;
  };
  for (const Case& c : {Case{100, 40, 20, 20, 0, 0, 10}, Case{95, 20, 20, 0, 5, 0, 4}, Case{100, 40, 0, 0, 0, 0, 1},
                        Case{30, 30, 40, 10, 0, 0, 0}, Case{44 * 24, 24, 24, 24, 0, 0, 44}}) {
    TImageArchiveItem item;
    item.Picture = std::make_shared<TDIB>(c.w, c.h);
    item.PatternWidth = c.pw, item.PatternHeight = c.ph, item.SkipWidth = c.sw, item.SkipHeight = c.sh;
    EXPECT_EQ(item.PatternCount(), c.count) << c.w << "x" << c.h << " in " << c.pw << "x" << c.ph;
  }
}

TEST(ArchiveWaves, ItemsAndTheirSounds) {
  const Bytes samples{1, 2, 3, 4};
  const Bytes riff = Riff({{"fmt ", PcmFormat(2, 22050, 16)}, {"LIST", Bytes(6)}, {"data", samples}});
  const Bytes b = MakeArchive(
      [&](TObjectWriter& w) {
        List(w, {[&](TObjectWriter& w) {
                   w.Property("Name"), w.String("Shot");
                   w.Property("Looped"), w.Bool(true);
                   w.Property("MaxPlayingCount"), w.Integer(4);
                   w.Property("Wave.WAVE"), w.Binary(riff.data(), riff.size());
                 },
                 Named("Silent")});
      },
      "TWaveCollectionComponent");
  TWaveArchive a;
  ReadWaveArchive(b.data(), b.size(), a);
  ASSERT_EQ(a.Items.size(), 2u);
  EXPECT_TRUE(a.Items[0].Looped);
  EXPECT_EQ(a.Items[0].MaxPlayingCount, 4);
  EXPECT_EQ(a.Items[0].Riff, riff);
  EXPECT_EQ(a.Items[0].Wave.Samples, samples);
  EXPECT_EQ(WaveFormatInfo(a.Items[0].Wave.Format).SamplesPerSec, 22050u);
  EXPECT_FALSE(a.Items[1].Looped);
  EXPECT_EQ(a.Items[1].MaxPlayingCount, 0);
  EXPECT_TRUE(a.Items[1].Riff.empty());
}

TEST(ArchiveWriter, WritesWhatItReads) {
  TImageArchive images;
  images.ColorTable.emplace();
  (*images.ColorTable)[5] = 9;
  TDIB many(300, 2);  // more than 256 colours: stored with 24 bits
  for (size_t i = 0; i < many.Pixels.size(); ++i) many.Pixels[i] = uint32_t(i * 0x010203) & 0xFFFFFF;
  TImageArchiveItem a;
  a.Name = "Many";
  a.Picture = std::make_shared<TDIB>(many);
  a.PatternWidth = 30, a.SkipWidth = 2, a.Transparent = false, a.TransparentColor = 0xFF00000F;
  TImageArchiveItem b;
  b.Name = std::string(300, 'n');  // past a short string
  b.Picture = std::make_shared<TDIB>(3, 3, 0x123456);
  b.TransparentColor = 0xFF00FF, b.TransparentColorIdent = "clFuchsia", b.SystemMemory = true, b.PatternHeight = 1;
  images.Items = {a, b, TImageArchiveItem{}};
  const Bytes bytes = WriteImageArchive(images);
  TImageArchive back = ReadImages(bytes);
  ASSERT_EQ(back.Items.size(), 3u);
  EXPECT_EQ((*back.ColorTable)[5], 9);
  for (size_t i = 0; i < 2; ++i) {
    const auto &x = images.Items[i], &y = back.Items[i];
    EXPECT_EQ(y.Name, x.Name);
    EXPECT_EQ(y.Picture->Pixels, x.Picture->Pixels);
    EXPECT_EQ(std::tie(y.PatternWidth, y.PatternHeight, y.SkipWidth, y.SkipHeight, y.Transparent, y.SystemMemory,
                       y.TransparentColor, y.TransparentColorIdent),
              std::tie(x.PatternWidth, x.PatternHeight, x.SkipWidth, x.SkipHeight, x.Transparent, x.SystemMemory,
                       x.TransparentColor, x.TransparentColorIdent));
  }
  EXPECT_FALSE(back.Items[2].Picture);
  EXPECT_EQ(WriteImageArchive(back), bytes);  // and the same bytes again

  TWaveArchive waves;
  waves.Items.push_back({"Shot", true, 2, Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {1, 2, 3}}}), {}});
  const Bytes wb = WriteWaveArchive(waves);
  TWaveArchive wback;
  ReadWaveArchive(wb.data(), wb.size(), wback);
  ASSERT_EQ(wback.Items.size(), 1u);
  EXPECT_EQ(wback.Items[0].Riff, waves.Items[0].Riff);
  EXPECT_TRUE(wback.Items[0].Looped);
  EXPECT_EQ(wback.Items[0].MaxPlayingCount, 2);
}

TEST(ArchiveStream, AnArchiveCutAnywhereIsAReadErrorKeepingTheWholeItemsBeforeIt) {
  const Bytes images = MakeArchive([&](TObjectWriter& w) {
    List(w, {WithPicture("First", TinyDib()), WithPicture("Second", TinyDib())});
  });
  const Bytes riff = Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {1, 2, 3}}});
  auto sound = [&](const std::string& name) {
    return [name, riff](TObjectWriter& w) {
      w.Property("Name"), w.String(name);
      w.Property("Wave.WAVE"), w.Binary(riff.data(), riff.size());
    };
  };
  const Bytes sounds = MakeArchive(
      [&](TObjectWriter& w) {
        List(w, {sound("One"), sound("Two")});
      },
      "TWaveCollectionComponent");
  size_t imagesKept = 0, soundsKept = 0;
  for (size_t n = 0; n < images.size(); ++n) {
    TImageArchive kept;
    ASSERT_EQ(ImageError(Bytes(images.begin(), images.begin() + std::ptrdiff_t(n)), &kept), "Stream read error") << n;
    EXPECT_GE(kept.Items.size(), imagesKept) << n;  // never fewer for a longer piece
    imagesKept = kept.Items.size();
  }
  for (size_t n = 0; n < sounds.size(); ++n) {
    TWaveArchive kept;
    std::string error;
    try {
      ReadWaveArchive(sounds.data(), n, kept);
    } catch (const EStreamError& e) {
      error = e.what();
    }
    ASSERT_EQ(error, "Stream read error") << n;
    EXPECT_GE(kept.Items.size(), soundsKept) << n;
    soundsKept = kept.Items.size();
  }
  // Cut after the last item's end, both items are whole and kept.
  EXPECT_EQ(imagesKept, 2u);
  EXPECT_EQ(soundsKept, 2u);
}

TEST(ArchiveStream, APayloadCutShortInsideItsValueIsAReadError) {
  // The binary value is whole, the bitmap or RIFF image inside it is not.
  const Bytes dib = TinyDib();
  const Bytes images =
      MakeArchive([&](TObjectWriter& w) { List(w, {WithPicture("Cut", Bytes(dib.begin(), dib.end() - 1))}); });
  EXPECT_EQ(ImageError(images), "Stream read error");
  const Bytes riff = Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {1, 2, 3}}});
  const Bytes sounds = MakeArchive(
      [&](TObjectWriter& w) {
        List(w, {[&](TObjectWriter& w) { w.Property("Wave.WAVE"), w.Binary(riff.data(), riff.size() - 1); }});
      },
      "TWaveCollectionComponent");
  TWaveArchive a;
  try {
    ReadWaveArchive(sounds.data(), sounds.size(), a);
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
}

TEST(ArchiveStream, ItemsBeyondTheBoundAreRefused) {
  // Each empty item is two bytes but costs far more once read.
  auto items = [](size_t n) {
    return MakeArchive([n](TObjectWriter& w) {
      w.Property("List");
      w.Byte(vaCollection);
      for (size_t i = 0; i < n; ++i) w.Byte(vaList), w.Byte(vaNull);
      w.Byte(vaNull);
    });
  };
  TImageArchive kept;
  EXPECT_EQ(ImageError(items(kMaxArchiveItems), &kept), "");
  EXPECT_EQ(kept.Items.size(), kMaxArchiveItems);
  EXPECT_EQ(ImageError(items(kMaxArchiveItems + 1), &kept), "Invalid stream format");
  EXPECT_EQ(kept.Items.size(), kMaxArchiveItems);
}

TEST(ArchiveImages, PicturesBeyondThePixelBoundAreRefused) {
  // A few bytes of run-length data stand for the largest picture there
  // is; the archive's pictures together may hold kMaxArchivePixels.
  const int32_t side = 4096;
  ASSERT_EQ(int64_t(side) * side, kMaxDibPixels);
  const Bytes huge = MakeDib({.Width = side,
                              .Height = side,
                              .Bits = 8,
                              .Compression = 1,
                              .ColorsUsed = 1,
                              .Table = Bytes(4),
                              .Pixels = {0, 1}});
  const size_t fit = size_t(kMaxArchivePixels / kMaxDibPixels);
  const Bytes b = MakeArchive([&](TObjectWriter& w) {
    w.Property("List");
    w.Byte(vaCollection);
    for (size_t i = 0; i <= fit; ++i) {
      w.Byte(vaList);
      WithPicture("Huge" + std::to_string(i), huge)(w);
      w.Byte(vaNull);
    }
    w.Byte(vaNull);
  });
  TImageArchive kept;
  EXPECT_EQ(ImageError(b, &kept), "DIB is invalid");
  EXPECT_EQ(kept.Items.size(), fit);
}
