// Sound effects and music: the items' play buffers, the sound device's
// life, PlaySound, the song rules, and the SDL2_mixer audio on SDL's dummy
// driver.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "Harness.h"
#include "engine/ArchiveFormat.h"
#include "engine/Errors.h"
#include "engine/SoundDevice.h"
#include "form/Screens.h"
#include "platform/Limiter.h"
#include "platform/SdlAudio.h"
#include "services/Sound.h"

namespace fusewick {
namespace {

using platform::BufferId;
using platform::NullAudio;
using testing::FormHarness;
using testing::TempDir;

// A 16-bit mono 44.1 kHz PCM format block (WAVEFORMATEX, 18 bytes).
std::vector<uint8_t> PcmFormat() { return {1, 0, 1, 0, 0x44, 0xAC, 0, 0, 0x88, 0x58, 1, 0, 2, 0, 16, 0, 0, 0}; }

// `ms` milliseconds of a quiet 440 Hz tone in that format.
std::vector<uint8_t> Tone(int ms) {
  std::vector<uint8_t> b;
  for (int i = 0; i < 44100 * ms / 1000; ++i) {
    const auto v = int16_t(3000 * std::sin(2 * M_PI * 440 * i / 44100.0));
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(uint16_t(v) >> 8));
  }
  return b;
}

// The RIFF WAVE image of a format block and samples.
std::vector<uint8_t> Riff(const std::vector<uint8_t>& fmt, const std::vector<uint8_t>& samples) {
  std::vector<uint8_t> b;
  auto tag = [&](const char* t) { b.insert(b.end(), t, t + 4); };
  auto u32 = [&](size_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
  };
  tag("RIFF");
  u32(12 + fmt.size() + samples.size() + 4);
  tag("WAVE");
  tag("fmt ");
  u32(fmt.size());
  b.insert(b.end(), fmt.begin(), fmt.end());
  tag("data");
  u32(samples.size());
  b.insert(b.end(), samples.begin(), samples.end());
  return b;
}

TWaveCollectionItem* AddWave(TWaveCollection& c, const std::string& name, bool looped = false, int32_t max = 0) {
  TWaveCollectionItem* item = c.Add();
  item->SetName(name);
  item->Looped = looped;
  item->MaxPlayingCount = max;
  item->Format = PcmFormat();
  item->Samples = Tone(20);
  return item;
}

// A wave list on an initialized device over the null audio.
class SoundDeviceTest : public ::testing::Test {
 protected:
  SoundDeviceTest() { list.SetDXSound(&sound); }
  ~SoundDeviceTest() override { list.SetDXSound(nullptr); }

  int PlaysOf(BufferId b) { return na.audio.Buffers.at(b).Plays; }

  platform::ScopedNullAudio na;
  TDXSound sound;
  TDXWaveList list;
};

TEST_F(SoundDeviceTest, PlayBuffersAreReusedUpToMaxPlayingCount) {
  struct Case {
    const char* what;
    int32_t max;
    bool endEachFirst;  // each sound has ended before the next play
    int plays;
    std::vector<int> playsPerBuffer;  // oldest buffer first
  };
  const Case cases[] = {
      {"an ended buffer plays again", 0, true, 3, {3}},
      {"no limit: a new buffer per overlapping play", 0, false, 3, {1, 1, 1}},
      {"at the limit the oldest restarts and goes last", 2, false, 5, {3, 2}},
      {"a limit of one restarts the one buffer", 1, false, 3, {3}},
      {"under the limit a new buffer is made", 4, false, 3, {1, 1, 1}},
  };
  int n = 0;
  for (const Case& c : cases) {
    TWaveCollectionItem* item = AddWave(list.Items, "Wave" + std::to_string(n++), false, c.max);
    sound.Initialize();
    for (int i = 0; i < c.plays; ++i) {
      if (c.endEachFirst) na.audio.FinishAll();
      item->Play();
    }
    std::vector<int> got;
    for (BufferId b : item->PlayBuffers()) got.push_back(PlaysOf(b));
    std::sort(got.rbegin(), got.rend());
    EXPECT_EQ(got, c.playsPerBuffer) << c.what;
    EXPECT_EQ(PlaysOf(item->MainBuffer()), 0) << c.what << ": the main buffer only holds the wave";
    EXPECT_EQ(na.audio.PlayingCount(item->Name()), int(c.playsPerBuffer.size())) << c.what;
  }
  EXPECT_EQ(na.audio.Misuses, 0);
}

TEST_F(SoundDeviceTest, TheReusedBufferMovesToTheEndOfTheList) {
  TWaveCollectionItem* item = AddWave(list.Items, "Shot", false, 2);
  sound.Initialize();
  item->Play();
  item->Play();
  const std::vector<BufferId> first = item->PlayBuffers();
  item->Play();  // both play: the oldest restarts
  EXPECT_EQ(item->PlayBuffers(), (std::vector<BufferId>{first[1], first[0]}));
  item->Play();  // now the other one is the oldest
  EXPECT_EQ(PlaysOf(first[0]), 2);
  EXPECT_EQ(PlaysOf(first[1]), 2);
}

TEST_F(SoundDeviceTest, StopThenPlayRestartsTheEffectInOneBuffer) {
  TWaveCollectionItem* item = AddWave(list.Items, "Button_Activated");
  sound.Initialize();
  for (int i = 0; i < 3; ++i) {
    item->Stop();
    item->Play();
  }
  ASSERT_EQ(item->PlayBuffers().size(), 1u);
  EXPECT_EQ(PlaysOf(item->PlayBuffers()[0]), 3);
  EXPECT_EQ(na.audio.PlayingCount("Button_Activated"), 1);
}

TEST_F(SoundDeviceTest, ALoopedItemLoopsItsMainBuffer) {
  TWaveCollectionItem* item = AddWave(list.Items, "Hum", true);
  sound.Initialize();
  item->Play();
  item->Play();
  EXPECT_TRUE(item->PlayBuffers().empty());
  const NullAudio::Buffer& main = na.audio.Buffers.at(item->MainBuffer());
  EXPECT_TRUE(main.Looping);
  EXPECT_EQ(main.Plays, 2);
  na.audio.FinishAll();
  EXPECT_TRUE(main.Playing) << "a loop does not end by itself";
  item->Stop();
  EXPECT_FALSE(main.Playing);
}

TEST_F(SoundDeviceTest, NothingPlaysWhenNoBufferCanBeMade) {
  TWaveCollectionItem* item = AddWave(list.Items, "Shot");
  TWaveCollectionItem* bad = AddWave(list.Items, "Bad");
  bad->Format.resize(4);  // no playable format
  sound.Initialize();
  item->Play();
  na.audio.FailBuffers = true;
  item->Play();  // the first still plays and no copy can be made
  bad->Play();
  EXPECT_EQ(na.audio.Played, std::vector<std::string>{"Shot"});
  EXPECT_EQ(item->PlayBuffers().size(), 1u);
}

TEST_F(SoundDeviceTest, FinalizeFreesEveryBufferAndInitializeMakesItemsReadyAgain) {
  TWaveCollectionItem* shot = AddWave(list.Items, "Shot");
  TWaveCollectionItem* hum = AddWave(list.Items, "Hum", true);
  sound.Initialize();
  shot->Play();
  shot->Play();
  hum->Play();
  EXPECT_EQ(na.audio.Buffers.size(), 4u);

  sound.Finalize();
  EXPECT_TRUE(na.audio.Buffers.empty());
  EXPECT_FALSE(na.audio.DeviceOpen);
  EXPECT_FALSE(shot->Initialized());
  shot->Play();
  EXPECT_EQ(na.audio.Played.size(), 3u) << "silent while the device is finalized";

  sound.Initialize();
  shot->Play();
  EXPECT_EQ(na.audio.Played.size(), 4u);
  sound.Initialize();  // initializing again drops the buffers first
  EXPECT_TRUE(na.audio.Buffers.empty());
  EXPECT_EQ(na.audio.Misuses, 0);
}

TEST_F(SoundDeviceTest, RestoreReloadsTheMainBuffers) {
  TWaveCollectionItem* shot = AddWave(list.Items, "Shot");
  AddWave(list.Items, "Unused");
  sound.Initialize();
  shot->Play();
  sound.Restore();
  EXPECT_EQ(na.audio.Buffers.at(shot->MainBuffer()).Reloads, 1);
  EXPECT_EQ(na.audio.Misuses, 0);
}

TEST_F(SoundDeviceTest, LoadingAnArchiveOnAnInitializedDeviceMakesItsItemsReady) {
  TempDir dir;
  sound.Initialize();
  TWaveCollectionItem* old = AddWave(list.Items, "Old");
  old->Initialize();
  old->Play();
  TWaveArchive archive;
  TWaveArchiveItem shot;
  shot.Name = "Shot";
  shot.Riff = Riff(PcmFormat(), Tone(10));
  archive.Items.push_back(shot);
  {
    const std::vector<uint8_t> bytes = WriteWaveArchive(archive);
    std::ofstream("Sounds.dxw", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  }
  list.Items.LoadFromFile("Sounds.dxw");
  EXPECT_TRUE(na.audio.Buffers.empty()) << "the replaced items freed their buffers";
  list.Items.Find("shot")->Play();
  EXPECT_EQ(na.audio.Played, (std::vector<std::string>{"Old", "Shot"}));
  EXPECT_EQ(na.audio.Misuses, 0);
}

TEST(SoundDevice, WithoutADeviceEverythingIsSilent) {
  for (bool installed : {false, true}) {
    NullAudio none;
    none.DeviceAvailable = false;
    if (installed) platform::SetCurrentAudio(&none);
    {
      TDXSound sound;
      TDXWaveList list;
      list.SetDXSound(&sound);
      TWaveCollectionItem* item = AddWave(list.Items, "Shot");
      EXPECT_NO_THROW(sound.Loaded()) << installed;
      EXPECT_FALSE(sound.Initialized());
      EXPECT_THROW(sound.Initialize(), EDXSoundError);
      item->Play();
      item->Stop();
      EXPECT_FALSE(item->Initialized());
    }
    EXPECT_TRUE(none.Played.empty());
    EXPECT_TRUE(none.Buffers.empty());
    platform::SetCurrentAudio(nullptr);
  }
}

// ---- the shell: PlaySound and the songs

class SoundShellTest : public FormHarness {
 protected:
  // The options file the game starts with.
  void WriteOptions(bool music, bool sound) {
    std::filesystem::create_directories("Data/Save");
    std::ofstream("Data/Save/options") << "0\r\n" << music << "\r\n" << sound << "\r\n\r\n\r\n";
  }
  void Activate(int selection) {
    MenuSelection = selection;
    form->MDXDrawClick();
  }
  std::vector<std::string> Started() const {
    std::vector<std::string> names;
    for (const std::string& f : audio.SongsStarted) names.push_back(std::filesystem::path(f).stem());
    return names;
  }
  using Songs = std::vector<std::string>;
};

TEST_F(SoundShellTest, PlaySoundPlaysTheNamedEffectOnlyWhenSoundsAreOn) {
  WriteOptions(false, true);
  Create();
  const size_t before = audio.Played.size();
  PlaySound("button_activated");
  PlaySound("Button_Activated");
  ASSERT_EQ(audio.Played.size(), before + 2);
  EXPECT_EQ(audio.Played.back(), "Button_Activated");
  EXPECT_EQ(audio.PlayingCount("Button_Activated"), 1) << "a repeated effect restarts";

  try {
    PlaySound("NoSuchWave");
    ADD_FAILURE() << "a missing wave must raise";
  } catch (const EWaveCollectionError& e) {
    EXPECT_STREQ(e.what(), "Wave 'NoSuchWave' not found");
  }

  GameOptions.SoundOn = false;
  EXPECT_NO_THROW(PlaySound("NoSuchWave")) << "with sounds off the wave is not even looked up";
  PlaySound("Shot");
  EXPECT_EQ(audio.Played.size(), before + 2);
}

TEST_F(SoundShellTest, TheMenuSongStartsOncePerMenuModeAndTheGameHasItsOwn) {
  WriteOptions(true, false);
  Create();
  EXPECT_EQ(Started(), Songs{"Menu"});
  Activate(2);  // options
  Activate(5);  // back
  Activate(3);  // high scores
  Activate(3);  // back
  Activate(4);  // help
  Activate(3);  // back
  EXPECT_EQ(Started(), Songs{"Menu"}) << "moving between menus keeps the song";

  Activate(1);  // new game
  EXPECT_EQ(Started(), (Songs{"Menu", "Game"}));
  EXPECT_EQ(audio.Songs.size(), 1u) << "the menu song was freed";
  EXPECT_EQ(audio.PlayingSong(), std::string(kGameSongFile));

  EndGame();
  ShowHighScores();
  EXPECT_EQ(Started(), (Songs{"Menu", "Game", "Menu"}));
  EXPECT_EQ(audio.Songs.size(), 1u);
  EXPECT_EQ(audio.Misuses, 0);
}

TEST_F(SoundShellTest, TheOptionsMusicButtonStopsAndRestartsTheMenuSong) {
  WriteOptions(true, false);
  Create();
  Activate(2);
  Activate(2);  // music off
  EXPECT_FALSE(GameOptions.MusicOn);
  EXPECT_EQ(SongHandle, 0u);
  EXPECT_TRUE(audio.Songs.empty());
  Activate(2);  // music on: the menu song from its beginning
  EXPECT_EQ(Started(), (Songs{"Menu", "Menu"}));
  EXPECT_EQ(audio.PlayingSong(), std::string(kMenuSongFile));
  EXPECT_NE(SongHandle, 0u);
}

TEST_F(SoundShellTest, WithMusicOffAtStartNoSongPlaysUntilOptionsSwitchItOn) {
  WriteOptions(false, false);
  Create();
  Activate(1);  // a game
  EXPECT_TRUE(audio.SongsStarted.empty());
  EndGame();
  ShowMainMenu(TMainMenuButton::Options);
  Activate(2);  // options
  Activate(2);  // music on
  EXPECT_EQ(Started(), Songs{"Menu"});
}

TEST_F(SoundShellTest, SongHandleRules) {
  GameOptions.MusicOn = true;
  PlayMusic("Data/Music/Missing.xm");
  EXPECT_EQ(SongHandle, 0u) << "a song that cannot be loaded plays nothing";
  EXPECT_TRUE(null.MessageBoxes.empty());
  PlayMusic(kMenuSongFile);  // the next call tries again
  const uint32_t menu = SongHandle;
  EXPECT_NE(menu, 0u);

  GameOptions.MusicOn = false;
  PlayMusic(kGameSongFile);
  EXPECT_EQ(SongHandle, menu) << "with music off not even the playing song is released";
  EXPECT_EQ(audio.PlayingSong(), std::string(kMenuSongFile));

  StopMusic();
  EXPECT_EQ(SongHandle, 0u);
  EXPECT_TRUE(audio.Songs.empty());
  StopMusic();  // nothing loaded: nothing to free
  EXPECT_EQ(audio.Misuses, 0);
}

// ---- the SDL2_mixer audio on SDL's dummy driver

class SdlAudioTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!audio.OpenDevice()) GTEST_SKIP() << "no audio driver: " << SDL_GetError();
  }
  void TearDown() override { audio.CloseDevice(); }
  platform::SdlAudio audio;
};

TEST_F(SdlAudioTest, EffectsPlayOnTheirOwnChannelsUntilTheyEnd) {
  const std::vector<uint8_t> fmt = PcmFormat(), samples = Tone(50);
  const platform::WaveData wave{fmt.data(), fmt.size(), samples.data(), samples.size()};
  const BufferId main = audio.CreateBuffer(wave, "Tone");
  ASSERT_NE(main, 0u);
  const BufferId a = audio.DuplicateBuffer(main), b = audio.DuplicateBuffer(main);
  ASSERT_NE(a, 0u);
  audio.Play(a, false);
  audio.Play(b, false);
  EXPECT_TRUE(audio.Playing(a));
  EXPECT_TRUE(audio.Playing(b));
  audio.Stop(a);
  EXPECT_FALSE(audio.Playing(a));
  EXPECT_TRUE(audio.Playing(b)) << "a copy plays on its own";
  // 50 ms of sound ends within a second on the dummy driver.
  for (int ms = 0; ms < 1000 && audio.Playing(b); ms += 5) SDL_Delay(5);
  EXPECT_FALSE(audio.Playing(b));
  audio.Play(main, true);
  SDL_Delay(120);
  EXPECT_TRUE(audio.Playing(main)) << "a looping buffer goes on";
  EXPECT_TRUE(audio.ReloadBuffer(main, wave));

  const std::vector<uint8_t> shortFmt(fmt.begin(), fmt.begin() + 4);
  EXPECT_EQ(audio.CreateBuffer({shortFmt.data(), shortFmt.size(), samples.data(), samples.size()}, "Bad"), 0u);
  for (BufferId id : {a, b, main}) audio.FreeBuffer(id);
}

TEST_F(SdlAudioTest, TheGameSongsLoadAndOtherFilesDoNot) {
  TempDir dir;
  std::ofstream("NotASong.xm") << "plain text, no module";
  EXPECT_EQ(audio.SongLoadFromFile("Missing.xm"), 0u);
  EXPECT_EQ(audio.SongLoadFromFile("NotASong.xm"), 0u);
  for (const char* name : {"Menu.xm", "Game.xm"}) {
    const std::string file = std::string(FUSEWICK_BINARY_DIR) + "/Data/Music/" + name;
    const platform::SongId song = audio.SongLoadFromFile(file);
    ASSERT_NE(song, 0u) << file << ": " << SDL_GetError();
    audio.SongPlay(song);
    SDL_Delay(50);
    audio.SongFree(song);
  }
}

// ---- the output limiter

float Peak(const std::vector<float>& v) {
  float p = 0;
  for (float x : v) p = std::max(p, std::fabs(x));
  return p;
}

TEST(Limiter, NothingReachesTheCeilingAndQuietSoundPassesUnchanged) {
  constexpr int kRate = 44100;
  // Stereo frames of a tone: amplitude a, with a one-sample spike of s at
  // frame 100.
  auto tone = [](float a, float spike) {
    std::vector<float> v(2 * 4410);
    for (size_t f = 0; f < v.size() / 2; ++f)
      v[2 * f] = v[2 * f + 1] = a * float(std::sin(2 * M_PI * 440 * double(f) / kRate));
    if (spike != 0) v[200] = spike;
    return v;
  };
  struct Case {
    const char* what;
    std::vector<float> in;
  };
  const Case loud[] = {
      {"fourteen full-scale sounds in phase", tone(14, 0)},
      {"just over the ceiling", tone(0.9f, 0)},
      {"a lone spike in quiet sound", tone(0.1f, 1000)},
      {"a negative spike", tone(0.1f, -50)},
  };
  for (const Case& c : loud) {
    platform::TLimiter l = platform::MakeLimiter(kRate);
    std::vector<float> out = c.in;
    platform::Limit(l, out.data(), out.size() / 2, 2);
    EXPECT_LE(Peak(out), l.Ceiling) << c.what;
    EXPECT_LT(Peak(out), 1.0f) << c.what;
    EXPECT_GT(Peak(out), 0.8f * std::min(l.Ceiling, Peak(c.in))) << c.what << ": limited, not silenced";
  }

  platform::TLimiter l = platform::MakeLimiter(kRate);
  const std::vector<float> quiet = tone(0.5f, l.Ceiling);  // a peak right at the ceiling too
  std::vector<float> out = quiet;
  platform::Limit(l, out.data(), out.size() / 2, 2);
  EXPECT_EQ(std::memcmp(out.data(), quiet.data(), quiet.size() * sizeof(float)), 0);

  // After a loud burst the gain comes back within a second.
  std::vector<float> burst = tone(8, 0);
  platform::Limit(l, burst.data(), burst.size() / 2, 2);
  std::vector<float> silence(2 * kRate);
  platform::Limit(l, silence.data(), silence.size() / 2, 2);
  out = quiet;
  platform::Limit(l, out.data(), out.size() / 2, 2);
  EXPECT_EQ(std::memcmp(out.data(), quiet.data(), quiet.size() * sizeof(float)), 0) << "gain back to 1";

  std::vector<float> odd = {NAN, 0.25f, INFINITY, -INFINITY};
  platform::Limit(l, odd.data(), 2, 2);
  EXPECT_EQ(odd, (std::vector<float>{0, 0.25f, 0, 0}));
}

// Thirteen effects of full-scale square waves at once over the game song,
// through SDL's disk driver: what reaches the device stays below full scale.
TEST(SdlAudioOutput, EffectsOverTheSongNeverReachFullScale) {
  if (SDL_WasInit(SDL_INIT_AUDIO)) GTEST_SKIP() << "SDL audio already started with another driver";
  TempDir dir;
  const std::string file = (dir.Path() / "out.raw").string();
  const std::string oldDriver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "";
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
  {
    platform::SdlAudio audio;
    if (!audio.OpenDevice()) {
      setenv("SDL_AUDIODRIVER", oldDriver.c_str(), 1);
      GTEST_SKIP() << "no disk audio driver: " << SDL_GetError();
    }
    const std::vector<uint8_t> fmt = PcmFormat();
    std::vector<uint8_t> square;
    for (int i = 0; i < 44100 / 2; ++i) {
      const uint16_t v = (i / 50) % 2 ? 0x8000 : 0x7FFF;
      square.push_back(uint8_t(v));
      square.push_back(uint8_t(v >> 8));
    }
    const platform::WaveData wave{fmt.data(), fmt.size(), square.data(), square.size()};
    const platform::SongId song = audio.SongLoadFromFile(std::string(FUSEWICK_BINARY_DIR) + "/Data/Music/Game.xm");
    if (song) audio.SongPlay(song);
    std::vector<BufferId> buffers;
    for (int i = 0; i < 13; ++i) {
      buffers.push_back(audio.CreateBuffer(wave, "Square"));
      ASSERT_NE(buffers.back(), 0u);
      audio.Play(buffers.back(), false);
    }
    SDL_Delay(400);
    for (BufferId b : buffers) audio.FreeBuffer(b);
    if (song) audio.SongFree(song);
    audio.CloseDevice();
  }
  setenv("SDL_AUDIODRIVER", oldDriver.c_str(), 1);
  // The mix is written as 32-bit floats.
  std::ifstream in(file, std::ios::binary);
  std::vector<float> out;
  for (float x; in.read(reinterpret_cast<char*>(&x), sizeof x);) out.push_back(x);
  ASSERT_GT(out.size(), 2u * 4096) << "recorded a few mixes";
  EXPECT_LT(Peak(out), 1.0f);
  EXPECT_GT(Peak(out), 0.8f) << "the effects were loud";
}

}  // namespace
}  // namespace fusewick
