#pragma once
// A headless game with every picture the game looks up: the image lists are
// filled with blank pictures of the art catalogue's sizes and pattern counts,
// so that sprites get their real sizes without the built archives.
#include <map>
#include <string>

#include "Harness.h"
#include "catalogue.h"
#include "engine/ImageList.h"
#include "engine/Random.h"
#include "game/Level.h"
#include "game/Player.h"
#include "shell/Globals.h"
#include "shell/MainForm.h"

namespace fusewick::testing {

inline void FillCatalogueImages(TMForm& form) {
  static std::map<std::pair<int, int>, PictureRef> blanks;
  for (const art::ImageEntry& e : art::Catalogue()) {
    PictureRef& pic = blanks[{e.PictureWidth(), e.PictureHeight()}];
    if (!pic) pic = std::make_shared<TDIB>(e.PictureWidth(), e.PictureHeight());
    TPictureCollectionItem* item = (e.Archive == 2 ? form.MDXImageList2 : form.MDXImageList).Items.Add();
    item->SetName(std::string(e.Name));
    item->Picture = pic;
    item->SetPatternWidth(e.PatternWidth);
    item->SetPatternHeight(e.PatternHeight);
  }
}

// The main form with the catalogue's pictures, created as the program does.
class GameHarness : public FormHarness {
 protected:
  void SetUp() override {
    FormHarness::SetUp();
    FillCatalogueImages(*form);
    Create();
  }
  // A new game from the main menu, seeded, with FrameRate held at 1000 / 30;
  // the level intro is left open.
  void NewGame(uint32_t seed = 1) {
    FrameRateHeld = 1000.0 / 30.0;
    Randomize(seed);
    StartNewGame();
  }
  // Runs ticks until the level intro has closed.
  void SkipIntro() {
    for (int i = 0; i < 200 && PlayState != Running; ++i) Tick();
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Tick();
  }
  void Hold(int vk, bool down) { null.SetKey(vk, down); }
};

}  // namespace fusewick::testing
