// fusewick-audio OUTDIR: synthesises the game's sound effects (WAV files and
// the archive manifest) and composes its two songs (XM modules) into OUTDIR.
#include <cstdio>
#include <exception>

#include "Builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fusewick-audio OUTDIR\n");
    return 2;
  }
  try {
    fusewick::audio::WriteOutputs(fusewick::audio::BuildAudio(), argv[1]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "fusewick-audio: %s\n", e.what());
    return 1;
  }
  return 0;
}
