#pragma once
// A clean, headless game for a test: a null platform with a fake clock, a
// fresh temporary working folder, every program-wide value at its start.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "engine/Picture.h"
#include "game/GameGlobals.h"
#include "persist/Records.h"
#include "platform/NullAudio.h"
#include "platform/NullPlatform.h"
#include "shell/Globals.h"
#include "shell/MainForm.h"
#include "shell/Sound.h"
#include "shell/Text.h"

namespace fusewick::testing {

// Runs the test in a fresh temporary folder and goes back afterwards.
class TempDir {
 public:
  TempDir() {
    old_ = std::filesystem::current_path();
    path_ = std::filesystem::temp_directory_path() /
            ("fusewick-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~TempDir() {
    std::filesystem::current_path(old_);
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  static inline int counter_ = 0;
  std::filesystem::path old_, path_;
};

inline void ResetProgramState() {
  ResetShellGlobals();
  ResetTextState();
  ResetGameGlobals();
  ResetRecords();
  ResetSound();
}

// The game's archives and songs as the build made them, linked into the
// working folder (Data/Res, Data/Music); Data/Save stays the test's own.
inline void LinkGameData() {
  namespace fs = std::filesystem;
  const fs::path built = fs::path(FUSEWICK_BINARY_DIR) / "Data";
  fs::create_directories("Data");
  for (const char* sub : {"Res", "Music"})
    if (fs::exists(built / sub) && !fs::exists(fs::path("Data") / sub))
      fs::create_directory_symlink(built / sub, fs::path("Data") / sub);
}

// A picture of w x h whose pixel (x, y) is fn(x, y).
template <typename Fn>
PictureRef MakePicture(int w, int h, Fn fn) {
  auto p = std::make_shared<TDIB>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) p->At(x, y) = fn(x, y);
  return p;
}

// The main form on a null platform, created and started as the program does.
class FormHarness : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    LinkGameData();
    platform::SetCurrent(&null);
    platform::SetCurrentAudio(&audio);
    null.OpenWindow(kFormCaption, 800, 600);
    form = std::make_unique<TMForm>();
  }
  void TearDown() override {
    form.reset();
    platform::SetCurrentAudio(nullptr);
    platform::SetCurrent(nullptr);
    ResetProgramState();
  }
  void Create() { form->FormCreate(); }
  // One frame tick of the nominal interval.
  void Tick() {
    null.Advance(30);
    form->MDXTimer.Idle();
  }
  void Key(int vk, bool down, uint8_t shift = 0) {
    null.SetKey(vk, down);
    platform::Event e;
    e.Type = down ? platform::EventType::KeyDown : platform::EventType::KeyUp;
    e.Key = vk;
    e.Shift = shift;
    form->HandleEvent(e);
  }

  TempDir dir;
  platform::NullPlatform null;
  platform::NullAudio audio;  // records the effects and songs played
  std::unique_ptr<TMForm> form;
};

}  // namespace fusewick::testing
