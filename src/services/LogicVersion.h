#pragma once
// The version of the game's logic, written into every recording. A build
// plays back exactly the recordings of its own logic version, whatever else
// changed (comments, formatting, window code, the game's version number).
//
// Bump it with every change that changes play: anything that changes the
// traces of scripts/record-traces or makes the recordings of
// tests/recordings/ end elsewhere (the corpus test says so). Then re-record
// the corpus with scripts/record-corpus BUILD. Changes to the images' names
// or sizes (the sprites' bounds) change play too: bump it for them as well.
#include <cstdint>

namespace fusewick {

constexpr uint32_t kLogicVersion = 1;

}  // namespace fusewick
