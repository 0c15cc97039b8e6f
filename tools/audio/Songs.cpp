#include "Songs.h"

#include <string>
#include <vector>

#include "Compose.h"
#include "Instruments.h"

namespace fusewick::audio {

namespace {

// Melodies are kept bar by bar so that sections can reuse and vary them.
using Bars = std::vector<std::string>;

std::string Join(const Bars& bars, size_t from = 0, size_t to = size_t(-1)) {
  std::string out;
  for (size_t i = from; i < bars.size() && i < to; ++i) out += (out.empty() ? "" : " | ") + bars[i];
  return out;
}

XmModule Finish(const char* name, const Score& score, int bpm, std::vector<XmInstrument> instruments) {
  XmModule m;
  m.name = name;
  m.channels = score.Channels();
  m.tempo = 6;  // six ticks per sixteenth: the BPM field is the song's tempo
  m.bpm = bpm;
  m.patterns = score.Patterns(4);
  for (size_t i = 0; i < m.patterns.size(); ++i) m.orders.push_back(uint8_t(i));
  m.restart = 1;  // the intro plays once
  m.instruments = std::move(instruments);
  return m;
}

}  // namespace

// D major, 84 beats per minute, 32 bars:
// intro (4) | theme A (8) | theme B (8) | theme A with harmony (8) | bridge (4),
// then back to theme A.
XmModule MenuSong() {
  enum { Lead, Echo, Keys, BassCh, Pad1, Pad2, Pad3, KickCh, ClapCh, ShakerCh, RideCh, Channels };
  Score s(Channels, 32);
  const int kIntro = 0, kA = 4, kB = 12, kA2 = 20, kBridge = 28;
  auto thirdBelow = [](int n) { return ScaleStep(n, -2, 2, false); };

  Progression intro = ParseProgression("Dmaj7 | Bm7 | Gmaj7 | A7sus4 A7");
  Progression a = ParseProgression("Dmaj7 | Bm7 | Gmaj7 | A | Dmaj7 | Bm7 | Em7 | A7sus4 A7");
  Progression b = ParseProgression("G | A | F#m7 | Bm7 | Em7 | F#m7 | G | A7sus4 A7");
  Progression a2 = ParseProgression("Dmaj7 | Bm7 | Gmaj7 | A | Dmaj7 | Bm7 | Em7 A7 | D");
  Progression bridge = ParseProgression("Bm7 | Gmaj7 | Em7 | A7sus4 A7");

  Bars themeA = {"f#5:6 e5:2 d5:4 a4:4", "b4:6 c#5:2 d5:4 f#5:4",      "e5:6 d5:2 b4:4 d5:4",  "c#5:8 b4:4 a4:4",
                 "f#5:6 e5:2 d5:4 a5:4", "f#5:6 e5:2 d5:2 c#5:2 b4:4", "g5:6 f#5:2 e5:4 d5:4", "e5:8 c#5:4 r:4"};
  Bars themeB = {"b4:2 d5:2 g5:8 f#5:4", "e5:2 f#5:2 e5:8 c#5:4", "c#5:2 e5:2 a5:8 f#5:4", "f#5:6 e5:2 d5:4 b4:4",
                 "g4:2 b4:2 e5:8 d5:4",  "c#5:2 e5:2 f#5:8 e5:4", "d5:4 e5:4 g5:4 b5:4",   "a5:12 r:4"};
  Bars themeA2 = {"f#5:4 g5:2 f#5:2 e5:2 d5:2 a4:4",
                  "b4:4 c#5:2 d5:2 e5:4 f#5:4",
                  "g5:6 f#5:2 e5:2 d5:2 b4:4",
                  "c#5:4 d5:2 e5:2 a5:8",
                  "f#5:6 e5:2 d5:4 a5:4",
                  "b5:6 a5:2 f#5:2 e5:2 d5:4",
                  "e5:4 g5:4 c#5:4 e5:4",
                  "d5:12 r:4"};
  Bars bridgeTune = {"d5:8 c#5:4 d5:4", "b4:12 r:4", "g4:4 b4:4 e5:4 f#5:4", "e5:8 c#5:4 r:4"};

  // Melody, its echo a dotted eighth behind, and the harmony of the return.
  s.Phrase(Lead, kA, Join(themeA), kMenuFlute, 62);
  s.Phrase(Lead, kB, Join(themeB), kMenuFlute, 62);
  s.Phrase(Lead, kA2, Join(themeA2), kMenuFlute, 64);
  s.Phrase(Lead, kBridge, Join(bridgeTune), kMenuFlute, 54);
  s.Phrase(Echo, kA, Join(themeA), kMenuFlute, 20, nullptr, 3);
  s.Phrase(Echo, kB, Join(themeB), kMenuFlute, 20, nullptr, 3);
  s.Phrase(Echo, kA2, Join(themeA2, 0, 7), kMenuFlute, 34, thirdBelow);
  s.Phrase(Echo, kA2 + 7, "a4:12 r:4", kMenuFlute, 34);

  // Electric piano: broken chords, busier in the second theme, syncopated in the bridge.
  const std::string flowing = "0:2 1 2 3 4 3 2 1", rising = "0:2 2 1 3 2 4 3 2", lilting = "0:3 1:3 2:2 3:3 4:3 2:2";
  s.Arp(Keys, kIntro, intro, flowing, kMenuPiano, 24, 55);
  s.Arp(Keys, kA, a, flowing, kMenuPiano, 20, 55);
  s.Arp(Keys, kB, b, rising, kMenuPiano, 21, 55);
  s.Arp(Keys, kA2, a2, flowing, kMenuPiano, 20, 55);
  s.Arp(Keys, kBridge, bridge, lilting, kMenuPiano, 28, 57);

  s.Pad({Pad1, Pad2, Pad3}, kIntro, intro, kMenuPad, 20, 54, 71);
  s.Pad({Pad1, Pad2, Pad3}, kA, a, kMenuPad, 16, 54, 71);
  s.Pad({Pad1, Pad2, Pad3}, kB, b, kMenuPad, 18, 54, 71);
  s.Pad({Pad1, Pad2, Pad3}, kA2, a2, kMenuPad, 16, 54, 71);
  s.Pad({Pad1, Pad2, Pad3}, kBridge, bridge, kMenuPad, 22, 54, 71);

  s.Bass(BassCh, kIntro + 2, Progression(intro.begin() + 2, intro.end()), "R:8 5:8", kMenuBass, 44, 33);
  s.Bass(BassCh, kA, a, "R:6 R:2 5:4 8:2 5:2", kMenuBass, 46, 33);
  s.Bass(BassCh, kB, b, "R:6 8:2 5:4 R:2 A:2", kMenuBass, 46, 33);
  s.Bass(BassCh, kA2, a2, "R:6 R:2 5:4 8:2 5:2", kMenuBass, 46, 33);
  s.Bass(BassCh, kBridge, bridge, "R:12 5:4", kMenuBass, 46, 33);

  // Drums: a laid-back half-time groove; the bridge keeps only the shaker.
  const DrumKit kit = {{'x', {1.0, 60}}, {'X', {1.2, 60}}, {'o', {0.5, 60}}};
  const std::string kick = "x.........x.....", kickEnd = "x.........x.x.x.";
  const std::string shaker = "o.x.o.x.o.x.o.x.";
  auto repeat = [](const std::string& bar, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += bar + "|";
    return out;
  };
  for (int section : {kA, kB, kA2}) {
    s.Drums(KickCh, section, repeat(kick, 7) + kickEnd, kMenuKick, 44, kit);
    s.Drums(ClapCh, section, repeat("........x.......", 7) + "........x...x.x.", kMenuClap, 34, kit);
    s.Drums(ShakerCh, section, repeat(shaker, 8), kMenuShaker, 36, kit);
    s.Drums(RideCh, section, "X...............|" + repeat("................", 3) + "x...............", kMenuCymbal, 26,
            kit);
  }
  s.Drums(RideCh, kB, "X...x...x...x...|x...x...x...x...|x...x...x...x...|x...x...x...x...", kMenuCymbal, 18, kit);
  s.Drums(RideCh, kIntro, "X...............", kMenuCymbal, 18, kit);
  s.Drums(ShakerCh, kIntro + 2, repeat(shaker, 2), kMenuShaker, 24, kit);
  s.Drums(ClapCh, kIntro + 3, "........x...x.x.", kMenuClap, 26, kit);
  s.Drums(ShakerCh, kBridge, repeat(shaker, 4), kMenuShaker, 28, kit);
  s.Drums(RideCh, kBridge, "X...............", kMenuCymbal, 20, kit);
  s.Drums(KickCh, kBridge + 3, "x.......x...x.x.", kMenuKick, 40, kit);

  return Finish("Fusewick Menu", s, 84, MenuInstruments());
}

// A minor, 140 beats per minute, 48 bars:
// intro (4) | theme (8) | theme with harmony (8) | second theme (8) |
// break (4) | arpeggio solo (8) | theme, full (8), then back to the theme.
XmModule GameSong() {
  enum { Lead, Lead2, ArpCh, BassCh, Pad1, Pad2, Pad3, KickCh, SnareCh, HatCh, CrashCh, TomCh, Channels };
  Score s(Channels, 48);
  const int kIntro = 0, kA = 4, kA2 = 12, kB = 20, kBreak = 28, kSolo = 32, kFinal = 40;
  auto thirdBelow = [](int n) { return ScaleStep(n, -2, 9, true); };

  Progression intro = ParseProgression("Am | F | C | G");
  Progression a = ParseProgression("Am | F | C | G | Am | F | G | E7");
  Progression b = ParseProgression("F | G | Em7 | Am | Dm7 | G | C | E7");
  Progression brk = ParseProgression("Am | F | Dm7 | E7");
  Progression solo = ParseProgression("Am | G | F | E7 | Am | G | F | E7");

  Bars theme = {"e5:3 e5:3 d5:2 c5:2 d5:2 e5:4", "c5:3 c5:3 a4:2 c5:4 f5:4",
                "e5:3 e5:3 d5:2 c5:2 d5:2 g5:4", "g5:6 f5:2 e5:4 d5:4",
                "e5:3 e5:3 d5:2 c5:2 d5:2 e5:4", "a5:3 a5:3 g5:2 f5:4 e5:4",
                "d5:3 d5:3 e5:2 f5:4 d5:4",      "e5:8 g#4:4 b4:4"};
  Bars themeUp = theme;
  themeUp[6] = "b4:2 d5:2 g5:2 f5:2 e5:4 d5:4";
  themeUp[7] = "e5:4 g#5:4 b5:6 r:2";
  Bars second = {"a5:8 g5:4 f5:4", "g5:8 f5:4 d5:4",      "e5:8 d5:4 b4:4", "c5:6 b4:2 a4:8",
                 "f5:8 e5:4 d5:4", "d5:4 g5:4 b5:6 a5:2", "g5:8 e5:4 c5:4", "b4:4 e5:4 g#5:8"};
  Bars riff = {"a5:2 r:2 a5:2 g5:2 e5:4 c5:4", "b4:2 r:2 b4:2 d5:2 g5:4 d5:4",
               "c5:2 r:2 c5:2 f5:2 a5:4 f5:4", "e5:4 g#5:4 b5:4 g#5:4",
               "a5:2 r:2 a5:2 b5:2 c6:4 b5:4", "b5:2 r:2 a5:2 g5:2 d5:4 g5:4",
               "a5:4 f5:4 c5:4 a4:4",          "b4:4 d5:4 e5:8"};
  Bars breakTune = {"a4:4 c5:4 e5:8", "a4:4 c5:4 f5:8", "a4:4 d5:4 f5:8", "g#4:4 b4:4 e5:4 d5:4"};

  s.Phrase(Lead, kA, Join(theme), kGameLead, 58);
  s.Phrase(Lead, kA2, Join(themeUp), kGameLead, 58);
  s.Phrase(Lead, kB, Join(second), kGameLead, 58);
  s.Phrase(Lead, kSolo, Join(riff), kGameLead, 56);
  s.Phrase(Lead, kFinal, Join(theme), kGameLead, 60);
  s.Off(Lead, kBreak * 16);

  s.Phrase(Lead2, kA2, Join(themeUp, 0, 6), kGameLead2, 32, thirdBelow);
  s.Phrase(Lead2, kA2 + 6, "g4:2 b4:2 d5:2 d5:2 c5:4 b4:4 | b4:4 e5:4 g#5:6 r:2", kGameLead2, 32);
  s.Off(Lead2, kA * 16);
  s.Phrase(Lead2, kB, Join(second), kGameLead2, 18, nullptr, 3);
  s.Phrase(Lead2, kBreak, Join(breakTune), kGameLead2, 30);
  s.Off(Lead2, kSolo * 16);
  s.Phrase(Lead2, kFinal, Join(theme, 0, 7), kGameLead2, 34, thirdBelow);
  s.Phrase(Lead2, kFinal + 7, "b4:8 e4:4 g#4:4", kGameLead2, 34);

  const std::string up = "0:1 1 2 3 4 3 2 1 0 1 2 3 4 3 2 1";
  const std::string offbeat = "0:2 2 1 3 2 4 3 5";
  s.Arp(ArpCh, kIntro + 2, Progression(intro.begin() + 2, intro.end()), offbeat, kGameArp, 18, 57);
  s.Arp(ArpCh, kA2, a, offbeat, kGameArp, 20, 57);
  s.Arp(ArpCh, kB, b, up, kGameArp, 18, 57);
  s.Arp(ArpCh, kBreak, brk, up, kGameArp, 14, 57);
  s.Arp(ArpCh, kSolo, solo, up, kGameArp, 26, 60);
  s.Arp(ArpCh, kFinal, a, offbeat, kGameArp, 20, 57);

  s.Pad({Pad1, Pad2, Pad3}, kA, a, kGamePad, 14, 52, 69);
  s.Pad({Pad1, Pad2, Pad3}, kA2, a, kGamePad, 14, 52, 69);
  s.Pad({Pad1, Pad2, Pad3}, kB, b, kGamePad, 18, 52, 69);
  s.Pad({Pad1, Pad2, Pad3}, kBreak, brk, kGamePad, 24, 52, 69);
  s.Pad({Pad1, Pad2, Pad3}, kSolo, solo, kGamePad, 14, 52, 69);
  s.Pad({Pad1, Pad2, Pad3}, kFinal, a, kGamePad, 16, 52, 69);

  const std::string pump = "R:2 8 R 8 R 8 R 8";
  s.Bass(BassCh, kIntro, intro, pump, kGameBass, 44, 33);
  s.Bass(BassCh, kA, a, pump, kGameBass, 44, 33);
  s.Bass(BassCh, kA2, a, "R:2 8 R 8 R 8 5 8", kGameBass, 44, 33);
  s.Bass(BassCh, kB, b, "R:3 R:3 R:2 8:2 R:2 5:2 A:2", kGameBass, 46, 33);
  s.Bass(BassCh, kBreak, brk, "R:12 8:2 5:2", kGameBass, 44, 33);
  s.Bass(BassCh, kSolo, solo, "R:1 R R:2 8 R 5 R 8 7", kGameBass, 44, 33);
  s.Bass(BassCh, kFinal, a, "R:2 8 R 8 R 8 5 8", kGameBass, 46, 33);

  const DrumKit kit = {{'x', {1.0, 60}}, {'X', {1.2, 60}}, {'o', {0.5, 60}}};
  const DrumKit toms = {{'h', {1.0, 57}}, {'m', {1.0, 52}}, {'l', {1.0, 45}}};
  auto repeat = [](const std::string& bar, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += bar + "|";
    return out;
  };
  const std::string four = "x...x...x...x...", fourPush = "x...x...x...x.x.";
  const std::string back = "....x.......x...", backGhost = "....x..o....x.o.";
  const std::string fill = "....x...x.x.xxXX";
  const std::string eighths = "x.x.x.x.x.x.x.x.", sixteenths = "xoxoxoxoxoxoxoxo";

  // Intro: kick, then hats, then snare, then a roll into the theme.
  s.Drums(KickCh, kIntro, repeat(four, 4), kGameKick, 46, kit);
  s.Drums(HatCh, kIntro + 1, repeat(eighths, 3), kGameHat, 20, kit);
  s.Drums(SnareCh, kIntro + 2, back + "|x.x.x.x.xxxxXXXX", kGameSnare, 40, kit);

  for (int section : {kA, kA2, kFinal}) {
    s.Drums(KickCh, section, repeat(repeat(four, 3) + fourPush, 2), kGameKick, 46, kit);
    s.Drums(SnareCh, section, repeat(back, 3) + backGhost + "|" + repeat(back, 3) + fill, kGameSnare, 44, kit);
    s.Drums(HatCh, section, repeat(eighths, 8), kGameHat, 22, kit);
    s.Drums(CrashCh, section, "X", kGameCrash, 32, kit);
  }
  s.Drums(HatCh, kFinal, repeat(sixteenths, 8), kGameHat, 22, kit);

  // Second theme: open hats on the offbeats, toms into the break.
  s.Drums(KickCh, kB, repeat(four, 7) + fourPush, kGameKick, 46, kit);
  s.Drums(SnareCh, kB, repeat(back, 7) + "....x...........", kGameSnare, 44, kit);
  s.Drums(HatCh, kB, repeat("..x...x...x...x.", 8), kGameOpenHat, 18, kit);
  s.Drums(CrashCh, kB, "X", kGameCrash, 32, kit);
  s.Drums(TomCh, kB + 7, "........hhmmllll", kGameTom, 42, toms);

  // Break: half time.
  s.Drums(KickCh, kBreak, repeat("x.........x.....", 3) + "x.........x.x.x.", kGameKick, 42, kit);
  s.Drums(SnareCh, kBreak, repeat("........x.......", 3) + "........x.x.xxXX", kGameSnare, 38, kit);
  s.Drums(HatCh, kBreak, repeat("x...x...x...x...", 4), kGameHat, 18, kit);
  s.Drums(CrashCh, kBreak, "X", kGameCrash, 26, kit);

  // Solo: busy hats, pushed kicks, toms at the turn.
  s.Drums(KickCh, kSolo, repeat(repeat(four, 3) + fourPush, 2), kGameKick, 46, kit);
  s.Drums(SnareCh, kSolo, repeat(repeat(back, 3) + backGhost, 2), kGameSnare, 44, kit);
  s.Drums(HatCh, kSolo, repeat(sixteenths, 8), kGameHat, 22, kit);
  s.Drums(CrashCh, kSolo, "X", kGameCrash, 32, kit);
  s.Drums(CrashCh, kSolo + 4, "x", kGameCrash, 26, kit);
  s.Drums(TomCh, kSolo + 7, "........h.h.m.l.", kGameTom, 40, toms);

  return Finish("Fusewick Game", s, 140, GameInstruments());
}

}  // namespace fusewick::audio
