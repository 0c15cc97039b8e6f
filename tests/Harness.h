#pragma once
// A clean, headless game for a test: a null platform with a fake clock, a
// fresh temporary working folder, every program-wide value at its start.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Picture.h"
#include "form/MainForm.h"
#include "game/PlayFlow.h"
#include "platform/NullAudio.h"
#include "platform/NullPlatform.h"
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Recording.h"
#include "services/Records.h"
#include "services/Sound.h"
#include "services/TestSeams.h"
#include "services/Text.h"

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

// The game's built data (image and sound archives, songs) seen from the
// working folder as Data/Res and Data/Music, as the game finds them beside
// itself; Data/Save stays the test's own.
inline void InstallGameData() {
  const std::filesystem::path built = std::filesystem::path(FUSEWICK_BINARY_DIR) / "Data";
  ASSERT_TRUE(std::filesystem::exists(built / "Res" / "Images1.dxg"))
      << "the image archives are built with the game: build it before running the tests";
  std::filesystem::create_directories("Data");
  for (const char* sub : {"Res", "Music"})
    if (!std::filesystem::exists(std::filesystem::path("Data") / sub))
      std::filesystem::create_directory_symlink(built / sub, std::filesystem::path("Data") / sub);
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
    platform::SetCurrent(&null);
    platform::SetCurrentAudio(&audio);
    null.OpenWindow(kFormCaption, kScreenWidth, kScreenHeight);
    InstallGameData();
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
  // Types a character (a key press's character event; the key that typed
  // it, when known). The open text input takes it with the next tick.
  void Type(char c, int key = 0) {
    platform::Event e;
    e.Type = platform::EventType::Char;
    e.Char = uint8_t(c);
    e.Key = key;
    form->HandleEvent(e);
  }
  void MouseTo(int x, int y) {
    platform::Event e;
    e.Type = platform::EventType::MouseMove;
    e.X = x;
    e.Y = y;
    form->HandleEvent(e);
  }
  void Click() { form->HandleEvent(platform::Event{platform::EventType::Click}); }
  // Records the names of the effects the game plays from now on.
  std::vector<std::string>& RecordSounds() {
    PlaySoundObserver = [this](const std::string& name) { sounds.push_back(name); };
    return sounds;
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
  std::vector<std::string> sounds;
};

}  // namespace fusewick::testing
