#pragma once
// Helpers for writing the songs as music rather than as raw cells: chords
// and progressions, a small melody notation, drum grids, voice-led pads,
// bass lines and arpeggios on a grid of rows (a row is a sixteenth note).
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Xm.h"

namespace fusewick::audio {

// A chord: root pitch class (0 = C), its tones as semitones above the root
// (root first, then third, fifth, seventh...), and the pitch class of the
// bass note (the root unless written as a slash chord, "D/F#").
struct Chord {
  int root = 0;
  std::vector<int> intervals;
  int bass = 0;
};

Chord ParseChord(const std::string& name);

// Bars separated by '|'; a bar holding several chords splits evenly.
// "Am | F | C | G7sus4 G7"
using Progression = std::vector<std::vector<Chord>>;
Progression ParseProgression(const std::string& text);

// "c#5", "bb3" -> MIDI note number (C4 = 60); throws on anything else.
int ParsePitch(const std::string& text);

// Maps a note to another note (harmony lines, transposition).
using NoteMap = std::function<int(int)>;

// The note `steps` scale steps away from `midi` in the major or natural
// minor scale on `tonic` (pitch class); a note outside the scale first
// moves down to the nearest scale note.
int ScaleStep(int midi, int steps, int tonic, bool minor);

// Drum grid symbols: volume scale and optional note per character.
struct Hit {
  double scale = 1.0;
  int midi = 60;
};
using DrumKit = std::map<char, Hit>;

class Score {
 public:
  Score(int channels, int bars, int rowsPerBar = 16);

  int Channels() const { return channels_; }
  int Rows() const { return rows_; }
  int RowsPerBar() const { return rowsPerBar_; }
  XmCell& At(int row, int channel);

  // A note by MIDI number at `volume` 0..64.
  void Note(int channel, int row, int midi, int instrument, int volume);
  void Off(int channel, int row);
  void Effect(int channel, int row, uint8_t effect, uint8_t param);

  // A melody written as tokens: "e5:4" (pitch, then length in rows; a token
  // without length keeps the last one), "r:2" (release, then rest), "-:2"
  // (hold). "!40" after a token sets that note's volume. '|' marks a bar
  // line and must fall on one. `map` changes every pitch; `delay` shifts the
  // whole line later (an echo), dropping what falls past the song's end.
  // Returns the rows the line covers.
  int Phrase(int channel, int startBar, const std::string& text, int instrument, int volume,
             const NoteMap& map = nullptr, int delay = 0);

  // A drum line: one character per row ('.' or a space-free kit symbol);
  // '|' must fall on bar lines.
  void Drums(int channel, int startBar, const std::string& grid, int instrument, int volume, const DrumKit& kit);

  // Held chords over `channels.size()` voices between `low` and `high`,
  // moving each voice as little as possible. A voice keeps sounding (no
  // new note) when its pitch stays.
  void Pad(const std::vector<int>& channels, int startBar, const Progression& prog, int instrument, int volume, int low,
           int high);

  // A bass line: the same per-bar pattern over every bar of `prog`, with
  // tokens naming chord notes relative to the chord of that moment:
  // "R" root, "3", "5", "7" (or the nearest chord note), "8" root an octave
  // up, "B" the bass note, "A" a half step below the next bar's bass,
  // "r" release, "-" hold; lengths as in Phrase. `low` is the lowest note
  // a root may take.
  void Bass(int channel, int startBar, const Progression& prog, const std::string& pattern, int instrument, int volume,
            int low);

  // Broken chords: tokens are indexes into the chord's notes counted up
  // from the first chord note at or above `low` ("0 1 2 3 2 1"), wrapping
  // into higher octaves; "r" and "-" as in Phrase.
  void Arp(int channel, int startBar, const Progression& prog, const std::string& pattern, int instrument, int volume,
           int low);

  // Cut into patterns of `barsPerPattern` bars, played in order.
  std::vector<XmPattern> Patterns(int barsPerPattern) const;

 private:
  const Chord& ChordAt(const Progression& prog, int startBar, int row) const;
  int channels_, rowsPerBar_, rows_;
  std::vector<XmCell> cells_;
};

// The XM note of a MIDI note (C4 = 60 is XM C-4 = 49).
uint8_t XmNote(int midi);

}  // namespace fusewick::audio
