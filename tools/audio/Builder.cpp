#include "Builder.h"

#include <filesystem>
#include <fstream>

#include "Effects.h"
#include "Songs.h"
#include "Wav.h"
#include "Xm.h"
#include "engine/Errors.h"

namespace fusewick::audio {

std::vector<OutputFile> BuildAudio() {
  std::vector<OutputFile> out;
  std::string manifest =
      "# Sound effects of Fusewick, written by fusewick-audio.\n"
      "# No effect loops; the game restarts an effect rather than overlapping it.\n"
      "archive waves\n";
  for (const SoundEffect& e : EffectCatalogue()) {
    std::string file = std::string(e.name) + ".wav";
    out.push_back({file, EncodeWav(RenderEffect(e), kEffectRate)});
    manifest += std::string("\n# ") + e.event + "\nwave " + e.name + " " + file + " looped=0 maxplaying=0\n";
  }
  out.push_back({"sounds.manifest", std::vector<uint8_t>(manifest.begin(), manifest.end())});
  out.push_back({"Menu.xm", WriteXm(MenuSong())});
  out.push_back({"Game.xm", WriteXm(GameSong())});
  return out;
}

void WriteOutputs(const std::vector<OutputFile>& files, const std::string& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  for (const OutputFile& f : files) {
    std::filesystem::path path = std::filesystem::path(folder) / f.name;
    std::ofstream os(path, std::ios::binary | std::ios::trunc);
    os.write(reinterpret_cast<const char*>(f.bytes.data()), std::streamsize(f.bytes.size()));
    os.close();
    if (!os) throw EInOutError("Cannot write " + path.string());
  }
}

}  // namespace fusewick::audio
