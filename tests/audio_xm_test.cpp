// The XM writer, read back byte by byte by an independent little parser.
#include <gtest/gtest.h>

#include <cstring>

#include "Xm.h"

using namespace fusewick::audio;

namespace {

struct Reader {
  const std::vector<uint8_t>& b;
  size_t at = 0;
  uint32_t U8() { return b.at(at++); }
  uint32_t U16() { return U8() | U8() << 8; }
  uint32_t U32() { return U16() | U16() << 16; }
  std::string Text(size_t n) {
    std::string s(reinterpret_cast<const char*>(&b.at(at)), n);
    at += n;
    return s;
  }
};

// Unpacks pattern data the way a player does.
std::vector<XmCell> Unpack(Reader& r, size_t end, int count) {
  std::vector<XmCell> cells;
  while (r.at < end) {
    XmCell c;
    uint8_t first = uint8_t(r.U8());
    uint8_t flags = first & 0x80 ? first : 0x1F;
    uint8_t* fields[5] = {&c.note, &c.instrument, &c.volume, &c.effect, &c.param};
    for (int i = 0; i < 5; ++i) {
      if (!(flags & (1 << i))) continue;
      *fields[i] = i == 0 && !(first & 0x80) ? first : uint8_t(r.U8());
    }
    cells.push_back(c);
  }
  EXPECT_EQ(int(cells.size()), count);
  return cells;
}

XmModule SmallModule() {
  XmModule m;
  m.name = "Test song";
  m.channels = 2;
  m.tempo = 5;
  m.bpm = 140;
  m.restart = 1;
  m.orders = {1, 0, 1};
  for (int p = 0; p < 2; ++p) {
    XmPattern pat;
    pat.rows = 4 + p;
    pat.cells.resize(size_t(pat.rows) * 2);
    m.patterns.push_back(pat);
  }
  m.patterns[0].cells[0] = {49, 1, 0x50, 0x0C, 0x20};  // every field
  m.patterns[0].cells[3] = {kXmKeyOff, 0, 0, 0, 0};
  m.patterns[1].cells[5] = {0, 0, 0, 0x0F, 0};  // effect without parameter
  m.patterns[1].cells[9] = {61, 1, 0x30, 0, 0};
  XmInstrument ins;
  ins.name = "Beep";
  ins.sample.name = "beep";
  ins.sample.data = {0, 1000, -32768, 32767, -5, 7};
  ins.sample.loopStart = 2;
  ins.sample.loopLength = 3;
  ins.sample.volume = 40;
  ins.sample.finetune = -20;
  ins.sample.relativeNote = 12;
  ins.sample.panning = 99;
  ins.volume.points = {{0, 0}, {4, 64}, {20, 32}};
  ins.volume.sustain = true;
  ins.volume.sustainPoint = 1;
  ins.fadeout = 512;
  ins.vibratoDepth = 3;
  m.instruments.push_back(ins);
  return m;
}

}  // namespace

TEST(XmWriter, HeaderPatternsAndInstrumentReadBack) {
  XmModule m = SmallModule();
  std::vector<uint8_t> file = WriteXm(m);
  Reader r{file};
  EXPECT_EQ(r.Text(17), "Extended Module: ");
  EXPECT_EQ(r.Text(20), std::string("Test song") + std::string(11, '\0'));
  EXPECT_EQ(r.U8(), 0x1Au);
  r.Text(20);
  EXPECT_EQ(r.U16(), 0x0104u);
  size_t headerStart = r.at;
  EXPECT_EQ(r.U32(), 276u);
  EXPECT_EQ(r.U16(), 3u);    // orders
  EXPECT_EQ(r.U16(), 1u);    // restart
  EXPECT_EQ(r.U16(), 2u);    // channels
  EXPECT_EQ(r.U16(), 2u);    // patterns
  EXPECT_EQ(r.U16(), 1u);    // instruments
  EXPECT_EQ(r.U16(), 1u);    // linear frequencies
  EXPECT_EQ(r.U16(), 5u);    // ticks per row
  EXPECT_EQ(r.U16(), 140u);  // BPM
  EXPECT_EQ(r.Text(4), std::string("\x01\x00\x01\x00", 4));
  r.at = headerStart + 276;

  for (const XmPattern& p : m.patterns) {
    EXPECT_EQ(r.U32(), 9u);
    EXPECT_EQ(r.U8(), 0u);
    EXPECT_EQ(int(r.U16()), p.rows);
    size_t size = r.U16();
    EXPECT_EQ(Unpack(r, r.at + size, p.rows * 2), p.cells);
  }

  size_t insStart = r.at;
  EXPECT_EQ(r.U32(), 263u);
  EXPECT_EQ(r.Text(4), "Beep");
  r.at = insStart + 27;
  EXPECT_EQ(r.U16(), 1u);   // samples
  EXPECT_EQ(r.U32(), 40u);  // sample header size
  r.at += 96;               // note to sample map
  std::vector<std::pair<uint16_t, uint16_t>> points;
  for (int i = 0; i < 3; ++i) {
    uint16_t tick = uint16_t(r.U16());
    points.emplace_back(tick, uint16_t(r.U16()));
  }
  EXPECT_EQ(points, m.instruments[0].volume.points);
  r.at = insStart + 225;
  EXPECT_EQ(r.U8(), 3u);  // volume points
  EXPECT_EQ(r.U8(), 0u);  // panning points
  EXPECT_EQ(r.U8(), 1u);  // sustain point
  r.at = insStart + 233;
  EXPECT_EQ(r.U8(), 3u);  // volume envelope on, with sustain
  EXPECT_EQ(r.U8(), 0u);  // panning envelope off
  r.at = insStart + 237;
  EXPECT_EQ(r.U8(), 3u);  // vibrato depth
  r.at = insStart + 239;
  EXPECT_EQ(r.U16(), 512u);
  r.at = insStart + 263;

  EXPECT_EQ(r.U32(), 12u);  // sample length in bytes
  EXPECT_EQ(r.U32(), 4u);   // loop start in bytes
  EXPECT_EQ(r.U32(), 6u);   // loop length in bytes
  EXPECT_EQ(r.U8(), 40u);
  EXPECT_EQ(int8_t(r.U8()), -20);
  EXPECT_EQ(r.U8(), 0x11u);  // 16-bit, forward loop
  EXPECT_EQ(r.U8(), 99u);
  EXPECT_EQ(int8_t(r.U8()), 12);
  r.U8();
  EXPECT_EQ(r.Text(4), "beep");
  r.at += 18;
  int16_t value = 0;
  for (int16_t want : m.instruments[0].sample.data) {
    value = int16_t(value + int16_t(r.U16()));
    EXPECT_EQ(value, want);
  }
  EXPECT_EQ(r.at, file.size());
}

TEST(XmWriter, PacksEachCellInItsShortestForm) {
  struct Case {
    XmCell cell;
    std::vector<uint8_t> bytes;
  };
  for (const Case& c : {Case{{}, {0x80}}, Case{{49, 2, 0x40, 1, 5}, {49, 2, 0x40, 1, 5}},
                        Case{{kXmKeyOff, 0, 0, 0, 0}, {0x81, kXmKeyOff}}, Case{{0, 3, 0x20, 0, 0}, {0x86, 3, 0x20}},
                        Case{{0, 0, 0, 0x0F, 0}, {0x88, 0x0F}}, Case{{60, 1, 0, 0, 0x10}, {0x93, 60, 1, 0x10}}}) {
    XmPattern p;
    p.rows = 1;
    p.cells = {c.cell};
    EXPECT_EQ(PackPattern(p, 1), c.bytes) << int(c.cell.note) << "/" << int(c.cell.effect);
  }
}

TEST(XmWriter, RefusesModulesTheFormatCannotHold) {
  struct Case {
    const char* what;
    void (*spoil)(XmModule&);
  };
  const Case cases[] = {
      {"33 channels", [](XmModule& m) { m.channels = 33; }},
      {"no orders", [](XmModule& m) { m.orders.clear(); }},
      {"order of a missing pattern", [](XmModule& m) { m.orders.push_back(2); }},
      {"restart past the orders", [](XmModule& m) { m.restart = 3; }},
      {"cells not matching rows", [](XmModule& m) { m.patterns[0].cells.pop_back(); }},
      {"missing instrument", [](XmModule& m) { m.patterns[0].cells[1].instrument = 2; }},
      {"note past key off", [](XmModule& m) { m.patterns[0].cells[1].note = 98; }},
      {"13 envelope points",
       [](XmModule& m) {
         auto& pts = m.instruments[0].volume.points;
         for (uint16_t t = 30; pts.size() < 13; ++t) pts.push_back({t, 1});
       }},
      {"envelope going back in time", [](XmModule& m) { m.instruments[0].volume.points[2].first = 3; }},
      {"sustain past the points", [](XmModule& m) { m.instruments[0].volume.sustainPoint = 3; }},
      {"loop past the sample", [](XmModule& m) { m.instruments[0].sample.loopLength = 5; }},
  };
  for (const Case& c : cases) {
    XmModule m = SmallModule();
    c.spoil(m);
    EXPECT_THROW(WriteXm(m), EXmError) << c.what;
  }
}
