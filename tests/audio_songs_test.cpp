// The two songs as an independent XM player (libxmp) plays them: length
// before the loop, no silence, no clipping, and instruments in tune.
#include <gtest/gtest.h>
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "Instruments.h"
#include "Songs.h"
#include "Xm.h"

using namespace fusewick::audio;

namespace {

constexpr int kRate = 44100;

struct Player {
  xmp_context ctx = xmp_create_context();
  ~Player() {
    xmp_end_player(ctx);
    xmp_release_module(ctx);
    xmp_free_context(ctx);
  }
  void Load(const std::vector<uint8_t>& file) {
    ASSERT_EQ(xmp_load_module_from_memory(ctx, const_cast<uint8_t*>(file.data()), long(file.size())), 0);
    ASSERT_EQ(xmp_start_player(ctx, kRate, XMP_FORMAT_MONO), 0);
  }
  // Mono samples until the song loops or `maxSeconds` pass.
  std::vector<int16_t> Render(double maxSeconds) {
    std::vector<int16_t> out;
    xmp_frame_info fi;
    while (out.size() < size_t(maxSeconds * kRate) && xmp_play_frame(ctx) == 0) {
      xmp_get_frame_info(ctx, &fi);
      if (fi.loop_count > 0) break;
      auto* b = static_cast<int16_t*>(fi.buffer);
      out.insert(out.end(), b, b + fi.buffer_size / 2);
    }
    return out;
  }
};

// A one-channel module that holds `midi` on `instrument` for four bars.
XmModule OneNote(const XmInstrument& instrument, int midi) {
  XmModule m;
  m.channels = 1;
  m.orders = {0};
  m.bpm = 125;
  XmPattern p;
  p.rows = 64;
  p.cells.resize(64);
  p.cells[0] = {uint8_t(midi - 11), 1, 0x50, 0, 0};
  m.patterns = {p};
  m.instruments = {instrument};
  return m;
}

// Normalised autocorrelation of `s` at `lag`.
double Correlation(const std::vector<int16_t>& s, size_t from, size_t count, double lag) {
  double xy = 0, xx = 0, yy = 0;
  size_t l = size_t(lag);
  double f = lag - double(l);
  for (size_t i = from; i < from + count; ++i) {
    double x = s[i], y = s[i + l] * (1.0 - f) + s[i + l + 1] * f;
    xy += x * y, xx += x * x, yy += y * y;
  }
  return xy / std::sqrt(xx * yy + 1e-9);
}

}  // namespace

TEST(Songs, PlayAtLeastAMinuteWithoutGapsOrClipping) {
  struct Case {
    const char* name;
    XmModule (*make)();
  };
  for (const Case& c : {Case{"Menu", MenuSong}, Case{"Game", GameSong}}) {
    SCOPED_TRACE(c.name);
    Player p;
    p.Load(WriteXm(c.make()));
    xmp_module_info mi;
    xmp_get_module_info(p.ctx, &mi);
    EXPECT_GE(mi.seq_data[0].duration, 60000);
    EXPECT_LE(mi.seq_data[0].duration, 150000);

    std::vector<int16_t> s = p.Render(200.0);
    double seconds = double(s.size()) / kRate;
    EXPECT_NEAR(seconds * 1000.0, mi.seq_data[0].duration, 500.0);
    int peak = 0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int(v)));
    EXPECT_LT(peak, 32000) << "clips";
    EXPECT_GT(peak, 8000) << "too quiet";
    // Every half second carries sound: no gap, no early end.
    for (size_t at = 0; at + kRate / 2 <= s.size(); at += kRate / 2) {
      double sum = 0;
      for (size_t i = at; i < at + kRate / 2; ++i) sum += double(s[i]) * s[i];
      double db = 10.0 * std::log10(sum / (kRate / 2) / (32768.0 * 32768.0) + 1e-12);
      EXPECT_GT(db, -40.0) << "near silence at " << double(at) / kRate << " s";
    }
  }
}

TEST(Songs, PitchedInstrumentsPlayInTune) {
  std::vector<XmInstrument> all = MenuInstruments();
  for (const XmInstrument& i : GameInstruments()) all.push_back(i);
  int checked = 0;
  for (const XmInstrument& ins : all) {
    bool pitched = ins.sample.loopLength > 0 || ins.name == "Piano";
    if (!pitched) continue;
    SCOPED_TRACE(ins.name);
    ++checked;
    // A3 = 220 Hz: a period of 200.45 samples, half of it for an octave too high.
    Player p;
    p.Load(WriteXm(OneNote(ins, 57)));
    std::vector<int16_t> s = p.Render(1.0);
    ASSERT_GE(s.size(), size_t(kRate));
    double period = kRate / 220.0, best = 0, bestLag = 0;
    for (double lag = period * 0.9; lag <= period * 1.1; lag += 0.05) {
      double r = Correlation(s, kRate / 4, kRate / 4, lag);
      if (r > best) best = r, bestLag = lag;
    }
    EXPECT_NEAR(bestLag, period, period * 0.006);  // a tenth of a semitone
    EXPECT_GT(best, 0.9);
    EXPECT_LT(Correlation(s, kRate / 4, kRate / 4, period / 2), 0.5);
  }
  EXPECT_GT(checked, 6);
}

TEST(Songs, SustainedSamplesLoopWithoutAClick) {
  std::vector<XmInstrument> all = MenuInstruments();
  for (const XmInstrument& i : GameInstruments()) all.push_back(i);
  for (const XmInstrument& ins : all) {
    const XmSample& s = ins.sample;
    if (!s.loopLength) continue;
    SCOPED_TRACE(ins.name);
    size_t start = s.loopStart, end = s.loopStart + s.loopLength;
    int steepest = 0;
    for (size_t i = start + 1; i < end; ++i) steepest = std::max(steepest, std::abs(s.data[i] - s.data[i - 1]));
    // Wrapping from the loop's end to its start is a step like any other.
    EXPECT_LE(std::abs(s.data[start] - s.data[end - 1]), steepest);
    // And the attack runs into the loop without a jump.
    if (start > 0) {
      EXPECT_LE(std::abs(s.data[start] - s.data[start - 1]), steepest);
    }
  }
}
