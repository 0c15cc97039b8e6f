// Loading archive files into the image and sound collections.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "archive_test_util.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Wave.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

std::string WriteTemp(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + "fusewick_" + name;
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path;
}

Bytes ImagesFile() {
  TImageArchive a;
  a.ColorTable.emplace();
  (*a.ColorTable)[2] = 0x42;
  TImageArchiveItem font;
  font.Name = "Font_small";
  font.Picture = std::make_shared<TDIB>(44 * 24, 24, 0x00FF00);
  font.Picture->At(24, 0) = 0x123456;
  font.PatternWidth = 24;
  font.TransparentColor = 0xFF00FF;
  font.TransparentColorIdent = "clFuchsia";
  TImageArchiveItem bg;
  bg.Name = "Background1";
  bg.Picture = std::make_shared<TDIB>(8, 6, 0x808080);
  bg.Transparent = false;
  bg.SystemMemory = true;
  bg.SkipWidth = 3;
  a.Items = {font, bg};
  return WriteImageArchive(a);
}

}  // namespace

TEST(PictureArchiveFile, LoadsEveryItemWithItsProperties) {
  TPictureCollection images;
  images.Add()->SetName("Stale");
  images.LoadFromFile(WriteTemp("images.dxg", ImagesFile()));
  ASSERT_EQ(images.Count(), 2);
  EXPECT_EQ(images.IndexOf("Stale"), -1);
  EXPECT_EQ(images.ColorTable[2], 0x42);

  TPictureCollectionItem* font = images.Find("font_SMALL");
  EXPECT_EQ(font->Name(), "Font_small");
  EXPECT_EQ(font->PatternWidth(), 24);
  EXPECT_EQ(font->PatternHeight(), 24);  // stored 0: the picture's height
  EXPECT_EQ(font->PatternCount(), 44);
  EXPECT_TRUE(font->Transparent);
  EXPECT_EQ(font->TransparentColor(), 0xFF00FFu);
  ASSERT_TRUE(font->Picture);
  EXPECT_EQ(font->Picture->At(24, 0), 0x123456u);

  TPictureCollectionItem* bg = images.Find("Background1");
  EXPECT_FALSE(bg->Transparent);
  EXPECT_TRUE(bg->SystemMemory);
  EXPECT_EQ(bg->SkipWidth, 3);
}

TEST(PictureArchiveFile, AFailingLoadKeepsTheItemsBeforeTheError) {
  Bytes cut = ImagesFile();
  cut.erase(cut.end() - 30, cut.end());  // inside the second picture
  TPictureCollection images;
  images.Add()->SetName("Stale");
  try {
    images.LoadFromFile(WriteTemp("cut.dxg", cut));
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Stream read error");
  }
  ASSERT_EQ(images.Count(), 1);
  EXPECT_EQ(images.Items(0)->Name(), "Font_small");
  EXPECT_THROW(images.LoadFromFile(::testing::TempDir() + "fusewick_missing.dxg"), EInOutError);
}

TEST(WaveArchiveFile, LoadAndFind) {
  const Bytes format = PcmFormat(1, 22050, 16);
  TWaveArchive a;
  a.Items.push_back({"Shot", false, 0, Riff({{"fmt ", format}, {"data", {1, 2, 3, 4}}}), {}});
  a.Items.push_back({"BonusGet", true, 3, Riff({{"fmt ", format}, {"data", {5, 6}}}), {}});
  a.Items.push_back({"shot", false, 0, Riff({{"fmt ", format}, {"data", {7, 8}}}), {}});
  TWaveCollection waves;
  waves.LoadFromFile(WriteTemp("sounds.dxw", WriteWaveArchive(a)));
  ASSERT_EQ(waves.Count(), 3);

  TWaveCollectionItem* bonus = waves.Find("BONUSGET");
  EXPECT_EQ(bonus->Name(), "BonusGet");
  EXPECT_TRUE(bonus->Looped);
  EXPECT_EQ(bonus->MaxPlayingCount, 3);
  EXPECT_EQ(bonus->Format, format);
  EXPECT_EQ(bonus->Samples, (Bytes{5, 6}));
  EXPECT_EQ(waves.Find("Shot")->Samples, (Bytes{7, 8}));  // the item named last wins

  try {
    waves.Find("Nope");
    FAIL() << "no error";
  } catch (const EWaveCollectionError& e) {
    EXPECT_STREQ(e.what(), "Wave 'Nope' not found");
  }
}

TEST(WaveArchiveFile, ABadSoundStopsTheLoadAfterTheGoodOnes) {
  TWaveArchive a;
  a.Items.push_back({"Good", false, 0, Riff({{"fmt ", PcmFormat(1, 8000, 8)}, {"data", {1}}}), {}});
  a.Items.push_back({"Bad", false, 0, Bytes{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '}, {}});
  TWaveCollection waves;
  try {
    waves.LoadFromFile(WriteTemp("bad.dxw", WriteWaveArchive(a)));
    FAIL() << "no error";
  } catch (const EStreamError& e) {
    EXPECT_STREQ(e.what(), "Wave is invalid");
  }
  ASSERT_EQ(waves.Count(), 1);
  EXPECT_EQ(waves.Items(0)->Name(), "Good");
}
