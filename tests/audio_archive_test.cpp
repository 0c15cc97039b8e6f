// The built sound archive, read with the game's own loader: every effect
// the game plays is there, as 16-bit PCM.
#include <gtest/gtest.h>

#include <filesystem>

#include "Effects.h"
#include "engine/Wave.h"

namespace {

TEST(SoundArchive, EveryEffectLoadsByName) {
  const std::filesystem::path file = std::filesystem::path(FUSEWICK_BINARY_DIR) / "Data" / "Res" / "Sounds.dxw";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "no sound archive built";
  fusewick::TWaveCollection waves;
  waves.LoadFromFile(file.string());
  EXPECT_EQ(waves.Count(), int(fusewick::audio::EffectCatalogue().size()));
  for (const auto& effect : fusewick::audio::EffectCatalogue()) {
    const fusewick::TWaveCollectionItem* w = waves.Find(effect.name);
    ASSERT_GE(w->Format.size(), 16u) << effect.name;
    EXPECT_EQ(w->Format[0] | (w->Format[1] << 8), 1) << effect.name;     // PCM
    EXPECT_EQ(w->Format[14] | (w->Format[15] << 8), 16) << effect.name;  // bits per sample
    EXPECT_FALSE(w->Samples.empty()) << effect.name;
  }
}

}  // namespace
