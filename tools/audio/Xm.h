#pragma once
// Data model and writer of extended tracker modules (.xm, version 1.04),
// the format of the game's two songs.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/Errors.h"

namespace fusewick::audio {

class EXmError : public Exception {
 public:
  using Exception::Exception;
};

constexpr uint8_t kXmKeyOff = 97;  // note value that releases the note

// One channel of one row. 0 in every field means "nothing"; volume is the
// volume column byte (0x10 + 0..64 sets the volume).
struct XmCell {
  uint8_t note = 0;  // 1..96 (1 = C-0), kXmKeyOff
  uint8_t instrument = 0;
  uint8_t volume = 0;
  uint8_t effect = 0;
  uint8_t param = 0;
  bool Empty() const { return !note && !instrument && !volume && !effect && !param; }
  bool operator==(const XmCell&) const = default;
};

struct XmPattern {
  int rows = 64;
  std::vector<XmCell> cells;  // rows x channels, row by row
};

struct XmEnvelope {
  std::vector<std::pair<uint16_t, uint16_t>> points;  // (tick, level 0..64), at most 12
  bool sustain = false;
  uint8_t sustainPoint = 0;
  bool loop = false;
  uint8_t loopStart = 0, loopEnd = 0;
};

struct XmSample {
  std::string name;
  std::vector<int16_t> data;  // 16-bit signed
  uint32_t loopStart = 0;     // in samples
  uint32_t loopLength = 0;    // 0: no loop
  uint8_t volume = 64;
  int8_t finetune = 0;  // 1/128 semitone
  uint8_t panning = 128;
  int8_t relativeNote = 0;  // semitones
};

struct XmInstrument {
  std::string name;
  XmSample sample;
  XmEnvelope volume;  // no points: the envelope is off
  XmEnvelope panning;
  uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
  uint16_t fadeout = 0;
};

struct XmModule {
  std::string name;
  int channels = 8;
  int tempo = 6;  // ticks per row
  int bpm = 125;
  bool linearFrequencies = true;
  int restart = 0;  // order the song jumps back to when it ends
  std::vector<uint8_t> orders;
  std::vector<XmPattern> patterns;
  std::vector<XmInstrument> instruments;
};

// Packed pattern data: a full cell as its five bytes, any other cell as a
// flag byte (0x80 | which fields follow) and the fields present.
std::vector<uint8_t> PackPattern(const XmPattern& pattern, int channels);

// The module file's bytes. Throws EXmError on a module that the format
// cannot hold (channel, row, order or envelope counts, bad references).
std::vector<uint8_t> WriteXm(const XmModule& module);

// Relative note and finetune that make a sample recorded at `rate` with its
// fundamental at `sampleHz` sound at `targetHz` when note C-4 plays it.
void TuneSample(XmSample& sample, double rate, double sampleHz, double targetHz);

}  // namespace fusewick::audio
