#pragma once
// The songs' instruments, every sample synthesised here.
#include <vector>

#include "Xm.h"

namespace fusewick::audio {

constexpr double kInstrumentRate = 44100.0;

// Instrument numbers of the menu song (1-based, as in the pattern cells).
enum MenuInstrument {
  kMenuFlute = 1,  // soft, breathy lead with a slow vibrato
  kMenuPiano,      // bell-like electric piano for broken chords
  kMenuPad,        // warm, slowly swelling string pad
  kMenuBass,       // round plucked bass
  kMenuKick,
  kMenuClap,
  kMenuShaker,
  kMenuCymbal,  // soft ride swell
  kMenuInstrumentCount = kMenuCymbal
};

// Instrument numbers of the game song.
enum GameInstrument {
  kGameLead = 1,  // bright pulse lead
  kGameLead2,     // hollow square for harmony and counter lines
  kGameArp,       // short plucked chip arpeggio
  kGameBass,      // punchy saw bass
  kGamePad,       // hollow square pad
  kGameKick,
  kGameSnare,
  kGameHat,
  kGameOpenHat,
  kGameCrash,
  kGameTom,
  kGameInstrumentCount = kGameTom
};

std::vector<XmInstrument> MenuInstruments();
std::vector<XmInstrument> GameInstruments();

}  // namespace fusewick::audio
