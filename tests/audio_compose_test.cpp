// Music helpers of the audio builder: chords, pitches, harmony steps and
// how lines land on the row grid.
#include <gtest/gtest.h>

#include "Compose.h"

using namespace fusewick::audio;

TEST(Compose, ParsesChordsAndPitches) {
  struct ChordCase {
    const char* name;
    int root, bass;
    std::vector<int> intervals;
  };
  for (const ChordCase& c : {ChordCase{"Am", 9, 9, {0, 3, 7}}, ChordCase{"Dmaj7", 2, 2, {0, 4, 7, 11}},
                             ChordCase{"F#m7", 6, 6, {0, 3, 7, 10}}, ChordCase{"Bb7", 10, 10, {0, 4, 7, 10}},
                             ChordCase{"A7sus4", 9, 9, {0, 5, 7, 10}}, ChordCase{"D/F#", 2, 6, {0, 4, 7}}}) {
    Chord ch = ParseChord(c.name);
    EXPECT_EQ(ch.root, c.root) << c.name;
    EXPECT_EQ(ch.bass, c.bass) << c.name;
    EXPECT_EQ(ch.intervals, c.intervals) << c.name;
  }
  for (const char* bad : {"H", "Cfoo", "C/X", ""}) EXPECT_THROW(ParseChord(bad), EXmError) << bad;

  struct PitchCase {
    const char* text;
    int midi;
  };
  for (auto [text, midi] : {PitchCase{"c4", 60}, PitchCase{"a4", 69}, PitchCase{"f#5", 78}, PitchCase{"cb4", 59},
                            PitchCase{"b#3", 60}, PitchCase{"a1", 33}})
    EXPECT_EQ(ParsePitch(text), midi) << text;
  for (const char* bad : {"c", "x4", "c#", "c44"}) EXPECT_THROW(ParsePitch(bad), EXmError) << bad;
}

TEST(Compose, StepsAlongTheScale) {
  struct Case {
    int midi, steps, tonic;
    bool minor;
    int want;
  };
  for (const Case& c : {Case{76, -2, 9, true, 72},   // E5 -> C5 in A minor
                        Case{68, -2, 9, true, 64},   // G#4 (raised) -> E4
                        Case{78, -2, 2, false, 74},  // F#5 -> D5 in D major
                        Case{73, -2, 2, false, 69},  // C#5 -> A4
                        Case{60, 2, 0, false, 64}})  // C4 -> E4 upward
    EXPECT_EQ(ScaleStep(c.midi, c.steps, c.tonic, c.minor), c.want) << c.midi << " " << c.steps;
}

TEST(Compose, PhraseLandsOnRowsAndChecksBarLines) {
  Score s(2, 2);
  EXPECT_EQ(s.Phrase(0, 0, "e5:6 d5:2 -:4 r:4 | a4:16", 1, 40), 32);
  EXPECT_EQ(s.At(0, 0).note, XmNote(76));
  EXPECT_EQ(s.At(0, 0).volume, 0x10 + 40);
  EXPECT_EQ(s.At(6, 0).note, XmNote(74));
  EXPECT_TRUE(s.At(8, 0).Empty());  // held
  EXPECT_EQ(s.At(12, 0).note, kXmKeyOff);
  EXPECT_EQ(s.At(16, 0).note, XmNote(69));
  // A delayed copy drops what falls past the end of the song.
  s.Phrase(1, 0, "e5:16 | a4:8 c5:8", 1, 20, nullptr, 12);
  EXPECT_EQ(s.At(12, 1).note, XmNote(76));
  EXPECT_EQ(s.At(28, 1).note, XmNote(69));
  EXPECT_THROW(s.Phrase(0, 0, "e5:6 | a4:16", 1, 40), EXmError);
}

TEST(Compose, PadMovesLittleAndHoldsCommonTones) {
  Score s(3, 2);
  s.Pad({0, 1, 2}, 0, ParseProgression("C | Am"), 1, 30, 55, 72);
  std::vector<int> first;
  for (int v = 0; v < 3; ++v) first.push_back(s.At(0, v).note);
  // C major to A minor shares C and E: only one voice moves, to A.
  int moved = 0;
  for (int v = 0; v < 3; ++v) {
    const XmCell& c = s.At(16, v);
    if (!c.note) continue;
    ++moved;
    EXPECT_EQ((c.note + 11) % 12, 9);
  }
  EXPECT_EQ(moved, 1);
  bool hasThird = false;
  for (int n : first) hasThird |= (n + 11) % 12 == 4;
  EXPECT_TRUE(hasThird);
}

TEST(Compose, BassTokensFollowTheChord) {
  Score s(1, 2);
  s.Bass(0, 0, ParseProgression("Am | D/F#"), "R:4 3 5 A", 1, 50, 33);
  // A minor: A1, C2, E2, then a half step below the next bar's F#.
  std::vector<int> want = {33, 36, 40, 41, 38, 42, 45, 41};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(s.At(i * 4, 0).note, XmNote(want[size_t(i)])) << i;
}
