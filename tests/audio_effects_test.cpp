// The synthesised sound effects: the names the game plays, their WAV form,
// their lengths and levels, and the manifest the archive tool packs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "Builder.h"
#include "Effects.h"
#include "services/AssetNames.h"

using namespace fusewick::audio;

namespace {

uint32_t Le(const std::vector<uint8_t>& b, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = v << 8 | b.at(at + size_t(i));
  return v;
}

const OutputFile* Find(const std::vector<OutputFile>& files, const std::string& name) {
  for (const OutputFile& f : files)
    if (f.name == name) return &f;
  return nullptr;
}

const std::vector<OutputFile>& Built() {
  static const std::vector<OutputFile> files = BuildAudio();
  return files;
}

}  // namespace

TEST(SoundEffects, CatalogueHoldsEveryNameTheGamePlays) {
  // Every listed effect, once each, in the list's order (the archive's).
  std::vector<std::string> ours, listed(fusewick::kEffectNames.begin(), fusewick::kEffectNames.end());
  for (const SoundEffect& e : EffectCatalogue()) ours.push_back(e.name);
  EXPECT_EQ(ours, listed);
}

TEST(SoundEffects, ArePcmWavesThatFitTheirEvents) {
  for (const SoundEffect& e : EffectCatalogue()) {
    SCOPED_TRACE(e.name);
    const OutputFile* f = Find(Built(), std::string(e.name) + ".wav");
    ASSERT_NE(f, nullptr);
    const std::vector<uint8_t>& w = f->bytes;
    ASSERT_GE(w.size(), 46u);
    EXPECT_EQ(std::string(w.begin(), w.begin() + 4), "RIFF");
    EXPECT_EQ(Le(w, 4, 4), w.size() - 8);
    EXPECT_EQ(std::string(w.begin() + 8, w.begin() + 16), "WAVEfmt ");
    EXPECT_EQ(Le(w, 16, 4), 18u);
    EXPECT_EQ(Le(w, 20, 2), 1u);  // PCM
    EXPECT_EQ(Le(w, 22, 2), 1u);  // mono
    EXPECT_EQ(Le(w, 24, 4), kEffectRate);
    EXPECT_EQ(Le(w, 28, 4), kEffectRate * 2);
    EXPECT_EQ(Le(w, 32, 2), 2u);
    EXPECT_EQ(Le(w, 34, 2), 16u);
    EXPECT_EQ(std::string(w.begin() + 38, w.begin() + 42), "data");
    ASSERT_EQ(Le(w, 42, 4), w.size() - 46);

    std::vector<int16_t> s;
    for (size_t i = 46; i + 1 < w.size(); i += 2) s.push_back(int16_t(Le(w, i, 2)));
    double seconds = double(s.size()) / kEffectRate;
    EXPECT_LE(seconds, e.maxSeconds);
    EXPECT_LT(seconds, 3.0);
    EXPECT_GT(seconds, 0.05);

    // Peak normalised to its level, and nowhere near clipping.
    int peak = 0;
    double sum = 0.0;
    for (int16_t v : s) peak = std::max(peak, std::abs(int(v))), sum += v;
    EXPECT_NEAR(20.0 * std::log10(peak / 32767.0), e.peakDb, 0.05);
    EXPECT_LT(peak, 32767);
    EXPECT_LT(std::fabs(sum / double(s.size())), 0.01 * 32768) << "DC offset";

    // Starts and ends at silence, but is heard within 15 ms of the event.
    EXPECT_LT(std::abs(int(s.front())), 200);
    EXPECT_LT(std::abs(int(s.back())), 200);
    int early = 0;
    for (size_t i = 0; i < size_t(0.015 * kEffectRate); ++i) early = std::max(early, std::abs(int(s[i])));
    EXPECT_GT(early, peak / 10);
  }
}

TEST(SoundEffects, ManifestListsEveryWaveInOrder) {
  const OutputFile* m = Find(Built(), "sounds.manifest");
  ASSERT_NE(m, nullptr);
  std::istringstream in(std::string(m->bytes.begin(), m->bytes.end()));
  std::vector<std::vector<std::string>> entries;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    entries.emplace_back(std::istream_iterator<std::string>(words), std::istream_iterator<std::string>());
  }
  const auto& effects = EffectCatalogue();
  ASSERT_EQ(entries.size(), effects.size() + 1);
  EXPECT_EQ(entries[0], (std::vector<std::string>{"archive", "waves"}));
  for (size_t i = 0; i < effects.size(); ++i) {
    std::string name = effects[i].name;
    EXPECT_EQ(entries[i + 1], (std::vector<std::string>{"wave", name, name + ".wav", "looped=0", "maxplaying=0"}));
    EXPECT_NE(Find(Built(), name + ".wav"), nullptr);
  }
}

TEST(AudioBuilder, SameBytesOnEveryRun) {
  std::vector<OutputFile> again = BuildAudio();
  ASSERT_EQ(again.size(), Built().size());
  for (size_t i = 0; i < again.size(); ++i) {
    EXPECT_EQ(again[i].name, Built()[i].name);
    EXPECT_TRUE(again[i].bytes == Built()[i].bytes) << again[i].name;
  }
  // The build ran the builder as its own process: its files match too.
  std::filesystem::path folder = FUSEWICK_AUDIO_OUT;
  for (const OutputFile& f : Built()) {
    std::ifstream is(folder / f.name, std::ios::binary);
    ASSERT_TRUE(is) << f.name;
    std::vector<uint8_t> disk((std::istreambuf_iterator<char>(is)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(disk == f.bytes) << f.name;
  }
}
