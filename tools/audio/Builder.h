#pragma once
// Everything the audio builder writes, as named files in memory.
#include <cstdint>
#include <string>
#include <vector>

namespace fusewick::audio {

struct OutputFile {
  std::string name;  // file name inside the output folder
  std::vector<uint8_t> bytes;
};

// The effects as "<Name>.wav", "sounds.manifest" for the archive tool, and
// the songs "Menu.xm" and "Game.xm". The same bytes on every run.
std::vector<OutputFile> BuildAudio();

// Writes the files into `folder` (created if missing); throws
// fusewick::EInOutError when a file cannot be written.
void WriteOutputs(const std::vector<OutputFile>& files, const std::string& folder);

}  // namespace fusewick::audio
