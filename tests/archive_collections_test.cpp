// Loading archive files into the image and sound collections.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "Harness.h"
#include "archive_test_util.h"
#include "engine/Archive.h"
#include "engine/Errors.h"
#include "engine/ImageList.h"
#include "engine/Wave.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

std::string WriteTemp(const std::string& name, const Bytes& bytes) {
  const std::string path = ::testing::TempDir() + "fusewick_" + name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
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

TEST(ArchiveFile, OnlyAPlainFileOfBoundedSizeIsRead) {
  // What the game says when an archive is not a file it can read; a FIFO or
  // a device is refused at once, never waited on or read.
  TempDir dir;
  std::filesystem::create_directory("folder.dxg");
  ASSERT_EQ(::mkfifo("fifo.dxg", 0600), 0);
  std::filesystem::create_symlink("/dev/zero", "zero.dxg");
  std::ofstream("big.dxg", std::ios::binary) << std::string(101, 'x');
  std::ofstream("small.dxg", std::ios::binary) << std::string(100, 'x');
  struct Case {
    const char* file;
    std::string error;  // "" when the file is read
  } cases[] = {
      {"missing.dxg", "Cannot open file \"missing.dxg\": No such file or directory"},
      {"folder.dxg", "Cannot read file \"folder.dxg\": it is a folder"},
      {"fifo.dxg", "Cannot read file \"fifo.dxg\": it is not a plain file"},
      {"zero.dxg", "Cannot read file \"zero.dxg\": it is not a plain file"},
      {"big.dxg", "Cannot read file \"big.dxg\": it is larger than 100 bytes"},
      {"small.dxg", ""},
  };
  for (const Case& c : cases) {
    std::string error;
    try {
      EXPECT_EQ(ReadWholeFile(c.file, 100).size(), 100u) << c.file;
    } catch (const EInOutError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error) << c.file;
  }
  // The game's own loads say the same.
  TPictureCollection images;
  try {
    images.LoadFromFile("folder.dxg");
    FAIL() << "no error";
  } catch (const EInOutError& e) {
    EXPECT_STREQ(e.what(), "Cannot read file \"folder.dxg\": it is a folder");
  }
}
