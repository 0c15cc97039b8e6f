// The built image archives, loaded with the game's own loader and walked
// against the catalogue: every name resolves, cut into the patterns the
// game indexes, with the pixels the builder drew.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "catalogue.h"
#include "engine/ImageList.h"

namespace fusewick::art {
namespace {

TEST(ArtArchives, EveryCatalogueImageLoadsWithItsPatterns) {
  const char* bin = std::getenv("FUSEWICK_BINARY_DIR");
  std::filesystem::path res = std::filesystem::path(bin ? bin : ".") / "Data" / "Res";
  if (!std::filesystem::exists(res / "Images1.dxg") || !std::filesystem::exists(res / "Images2.dxg"))
    GTEST_SKIP() << "the image archives are not built in " << res;
  TPictureCollection lists[2];
  lists[0].LoadFromFile((res / "Images1.dxg").string());
  lists[1].LoadFromFile((res / "Images2.dxg").string());
  int expected[2] = {0, 0};
  for (const ImageEntry& entry : Catalogue()) {
    SCOPED_TRACE(std::string(entry.Name));
    ++expected[entry.Archive - 1];
    TPictureCollectionItem* item = lists[entry.Archive - 1].Find(std::string(entry.Name));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->Picture);
    EXPECT_EQ(item->PatternCount(), entry.Frames);
    EXPECT_EQ(item->PatternWidth(), entry.PatternWidth);
    EXPECT_EQ(item->PatternHeight(), entry.PatternHeight);
    EXPECT_EQ(item->Transparent, entry.Transparent);
    if (entry.Transparent) {
      EXPECT_EQ(item->TransparentColor(), kKeyColourBGR);
    }
    Image drawn = Render(entry);
    ASSERT_EQ(item->Picture->Width, drawn.Width);
    ASSERT_EQ(item->Picture->Height, drawn.Height);
    EXPECT_TRUE(item->Picture->Pixels == drawn.Pixels);
  }
  EXPECT_EQ(lists[0].Count(), expected[0]);
  EXPECT_EQ(lists[1].Count(), expected[1]);
}

}  // namespace
}  // namespace fusewick::art
