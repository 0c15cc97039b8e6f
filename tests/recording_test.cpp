// Recorded games: the file's round trip and its reader's refusals, the
// folder's retention, and recorded games played back to their scores.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>

#include "GameHarness.h"
#include "Replay.h"
#include "services/Recording.h"
#include "services/SaveFiles.h"

using namespace fusewick;
using namespace fusewick::testing;
namespace fs = std::filesystem;

namespace {

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

TRecordedTick Tick(int32_t lag, double fr, uint64_t states, bool ctrl = false, std::string_view events = {}) {
  TRecordedTick t;
  t.LagCount = lag;
  t.FrameRate = fr;
  t.States = states;
  t.CtrlPressed = ctrl;
  t.Events = events;
  return t;
}

// A small recording: runs, changes of every kind, events, two level ends.
TRecording SampleRecording(std::vector<TRecordedTick>& ticks) {
  static const std::string typed = {char(TRecordedEvent::Char), 'A', char(TRecordedEvent::Char), '\r'};
  static const std::string close = {char(TRecordedEvent::Close), 0};
  ticks = {Tick(1, 33.5, 0),
           Tick(1, 33.5, 0),
           Tick(1, 33.5, 0),
           Tick(1, 33.5, 1 << 3),
           Tick(1, 33.5, 1 << 3, true),
           Tick(3, 33.5, 1 << 3),
           Tick(3, 30.25, 0, false, typed),
           Tick(3, 30.25, 0),
           Tick(1, 30.25, (uint64_t(1) << 35), false, close)};
  TTickWriter w;
  w.Reset(64);
  for (const TRecordedTick& t : ticks) EXPECT_TRUE(w.Add(t));
  w.Finish();
  TRecording r;
  r.GameVersion = "2.0";
  r.LogicVersion = 77;
  r.ImageFingerprint = 0x1234567890abcdefull;
  r.Start.Seed = 0xdeadbeef;
  r.Start.StartLevel = 6;
  r.Start.FrameRate = 33.5;
  r.Start.Flags.FireWasHeld = r.Start.Flags.UpGestureArmed = true;
  r.Start.Flags.UpHoldTime = 60;
  r.Start.QualifyAbove = -7;
  r.Start.PlayerName = "LAST ";
  r.Ticks = w.Ticks();
  r.TickStream = w.Stream();
  r.Levels = {{6, 3, 120}, {7, 8, 450}};
  r.FinalScore = 455;
  r.FinalLevel = 8;
  r.Submitted = true;
  r.Name = "ABC";
  return r;
}

TEST(RecordingFormat, RoundTrip) {
  std::vector<TRecordedTick> ticks;
  const TRecording r = SampleRecording(ticks);
  const std::string bytes = EncodeRecording(r);
  const TRecording back = DecodeRecording(bytes);
  EXPECT_EQ(back.GameVersion, "2.0");
  EXPECT_EQ(back.LogicVersion, 77u);
  EXPECT_EQ(back.ImageFingerprint, r.ImageFingerprint);
  EXPECT_EQ(back.Start.Seed, r.Start.Seed);
  EXPECT_EQ(back.Start.StartLevel, 6);
  EXPECT_EQ(back.Start.FrameRate, 33.5);
  EXPECT_TRUE(back.Start.Flags.FireWasHeld && back.Start.Flags.UpGestureArmed && !back.Start.Flags.UpHeld);
  EXPECT_EQ(back.Start.Flags.UpHoldTime, 60);
  EXPECT_EQ(back.Start.QualifyAbove, -7);
  EXPECT_EQ(back.Start.PlayerName, "LAST ");
  EXPECT_EQ(back.Levels, r.Levels);
  EXPECT_EQ(back.FinalScore, 455);
  EXPECT_EQ(back.FinalLevel, 8);
  EXPECT_TRUE(back.Submitted);
  EXPECT_EQ(back.Name, "ABC");
  ASSERT_EQ(back.Ticks, int32_t(ticks.size()));
  TTickReader reader(back.TickStream);
  TRecordedTick t;
  for (const TRecordedTick& want : ticks) {
    ASSERT_TRUE(reader.Next(t));
    EXPECT_TRUE(t.SameAs(want));
    EXPECT_EQ(t.Events, want.Events);
  }
  EXPECT_FALSE(reader.Next(t));
}

TEST(RecordingFormat, LongUneventfulGameStaysSmall) {
  // 40,000 ticks of one held key each 50 ticks: runs and a few changes.
  TTickWriter w;
  w.Reset(1024);
  for (int i = 0; i < 40000; ++i) ASSERT_TRUE(w.Add(Tick(1, 33.5, (i / 50) % 2 ? 1 << 2 : 0)));
  w.Finish();
  TRecording r;
  r.Ticks = w.Ticks();
  r.TickStream = w.Stream();
  EXPECT_LT(EncodeRecording(r).size(), 2000u);
}

// A recording's body with the ticks given as raw bytes (and as many ticks
// as it says).
std::string WithTicks(std::string stream, int32_t ticks) {
  TRecording r;
  r.Ticks = ticks;
  r.TickStream = std::move(stream);
  return EncodeRecording(r);
}

TEST(RecordingFormat, ReaderRefusesDamagedInput) {
  std::vector<TRecordedTick> ticks;
  const std::string good = EncodeRecording(SampleRecording(ticks));
  // The header: magic 4, format 2, version 1 + 3, logic version 4, images 8,
  // sizes 4 + 4.
  constexpr size_t kBodySizeAt = 4 + 2 + 1 + 3 + 4 + 8;
  auto patched = [&](size_t at, uint32_t v, int bytes) {
    std::string s = good;
    for (int i = 0; i < bytes; ++i) s[at + size_t(i)] = char(uint8_t(v >> (8 * i)));
    return s;
  };
  // One tick at frame rate 32 (its bits 0x4040000000000000), and the same
  // with lag 0.
  const std::string rate32 = {char(0x22), 0, 0, 0, 0, 0, 0, 0x40, 0x40};
  const std::string lagZero = {char(0x23), 0, 0, 0, 0, 0, 0, 0, 0x40, 0x40};
  TRecording longName = SampleRecording(ticks);
  longName.Name.assign(kMaxNameBytes + 1, 'A');
  TRecording lateLevel = SampleRecording(ticks);
  lateLevel.Levels.push_back({8, lateLevel.Ticks + 1, 0});
  std::string oversized = good;
  oversized.resize(kMaxRecordingBytes + 1);
  struct Case {
    const char* What;
    std::string Bytes;
    const char* Says;
  };
  const Case cases[] = {
      {"empty", "", "not a recording"},
      {"another file", "PK\x03\x04 a zip", "not a recording"},
      {"oversized", oversized, "larger than 1 MB"},
      {"the format before logic versions", patched(4, 1, 2), "format 1, made by an older game"},
      {"a later format", patched(4, 3, 2), "format 3, made by a newer game"},
      {"cut in the header", good.substr(0, 12), "ends inside"},
      {"game version not text", patched(7, 0x0a, 1), "not text"},
      {"cut in the data", good.substr(0, good.size() - 1), "its length"},
      {"a byte more", good + '\0', "its length"},
      {"data damaged", patched(good.size() - 6, 0x5a5a, 2), "damaged recording"},
      {"body size too small", patched(kBodySizeAt, 10, 4), "not the size"},
      {"body size too large", patched(kBodySizeAt, 100000, 4), "not the size"},
      {"body size beyond the bound", patched(kBodySizeAt, 0x7fffffff, 4), "body size out of range"},
      {"fewer ticks than it says", WithTicks(rate32, 2), "not as many"},
      {"more ticks than it says", WithTicks(rate32 + std::string{0, 1}, 1), "not as many"},
      {"unknown tag", WithTicks("\x80", 1), "unknown tick tag"},
      {"empty run", WithTicks(rate32 + std::string(2, '\0'), 2), "empty run"},
      {"lag 0", WithTicks(lagZero, 1), "lag out of range"},
      {"no frame rate", WithTicks(std::string{char(0x21), 2}, 1), "frame rate out of range"},
      {"unknown input state",
       WithTicks(rate32 + std::string{char(0x24), char(0x80), char(0x80), char(0x80), char(0x80), char(0x80),
                                      char(0x80), 0x01},
                 2),
       "input states out of range"},
      {"unknown event", WithTicks(rate32 + std::string{char(0x30), 1, 9, 0}, 2), "unknown event"},
      {"name too long", EncodeRecording(longName), "the name out of range"},
      {"level after the end", EncodeRecording(lateLevel), "a level's tick out of range"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    try {
      DecodeRecording(c.Bytes);
      ADD_FAILURE() << "read";
    } catch (const ERecordingError& e) {
      EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
    }
  }
}

TEST(RecordingFormat, FileReaderRefusesWhatIsNoPlainFile) {
  TempDir dir;
  fs::create_directory("folder.fwr");
  for (const char* path : {"folder.fwr", "missing.fwr"}) {
    SCOPED_TRACE(path);
    EXPECT_THROW(ReadRecordingFile(path), ERecordingError);
  }
  // A large file is read no further than the bound.
  std::ofstream("big.fwr", std::ios::binary) << std::string(kMaxRecordingBytes + 4096, 'F');
  try {
    ReadRecordingFile("big.fwr");
    ADD_FAILURE() << "read";
  } catch (const ERecordingError& e) {
    EXPECT_NE(std::string(e.what()).find("larger than"), std::string::npos) << e.what();
  }
}

TEST(RecordingFolder, KeepsTheLatestAndThoseInTheTable) {
  ResetProgramState();
  TempDir dir;
  ResetHighScores();  // 1000, 900, ..., 100
  fs::create_directories("r");
  auto make = [](const std::string& name) { std::ofstream(fs::path("r") / name) << "x"; };
  for (int i = 0; i < 25; ++i) make("20260101-0000" + std::string(i < 10 ? "0" : "") + std::to_string(i) + "-00-5.fwr");
  make("20251231-000000-00-900-hs.fwr");  // still in the table
  make("20251231-000001-00-950-hs.fwr");  // never in this table
  make("20251231-000002-00-900-hs.fwr");  // the table's 900 is kept by the newer one
  make("notes.txt");
  make("mine.fwr");  // not a name the game gives: left alone
  PruneRecordings("r");
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator("r")) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  ASSERT_EQ(left.size(), 20u + 1 + 2);
  EXPECT_EQ(left[0], "20251231-000002-00-900-hs.fwr");
  EXPECT_EQ(left[1], "20260101-000005-00-5.fwr");  // 0..4 were the oldest
  EXPECT_EQ(left[20], "20260101-000024-00-5.fwr");
  EXPECT_EQ(left[21], "mine.fwr");
  EXPECT_EQ(left[22], "notes.txt");
  ResetProgramState();
}

TEST(RecordingNames, EscapedAsTheRunnerPrintsThem) {
  const std::pair<std::string, std::string> cases[] = {
      {"ABC DEF", "ABC DEF"}, {"A\\B", "A\\x5cB"}, {std::string("\x01\x7f\xff", 3), "\\x01\\x7f\\xff"}, {"", ""}};
  for (const auto& [name, printed] : cases) EXPECT_EQ(replay::EscapeName(name), printed);
}

// ---- games recorded and played back

class RecordedGameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    InstallGameData();
  }
  void TearDown() override { ResetProgramState(); }
  static replay::TOptions Parse(const std::string& args) {
    std::vector<std::string> v;
    std::istringstream in(args);
    for (std::string a; in >> a;) v.push_back(a);
    return replay::ParseArguments(v);
  }
  replay::TReplayResult Replay(const std::string& path, const std::string& more = "") {
    ResetProgramState();
    replay::TRunner runner(Parse("--replay " + path + " " + more));
    runner.Run();
    return runner.ReplayResult();
  }
  TempDir dir;
};

TEST_F(RecordedGameTest, RandomGameReplaysToItsScoresAndAlteredScoresDiverge) {
  {
    replay::TRunner runner(
        Parse("--seed 3 --start game --random-input 3 --ticks 4000 --record game.fwr --trace played.jsonl"));
    runner.Run();
    ASSERT_EQ(runner.RecordingsWritten(), 1);
  }
  const TRecording r = ReadRecordingFile("game.fwr");
  ASSERT_FALSE(r.Levels.empty()) << "the game should end a level";
  EXPECT_EQ(r.Start.Seed, 3u);
  const replay::TReplayResult same = Replay("game.fwr", "--trace replayed.jsonl");
  EXPECT_EQ(same.Divergence, "");
  EXPECT_EQ(same.Score, r.FinalScore);
  EXPECT_EQ(same.Level, r.FinalLevel);
  EXPECT_EQ(same.Ticks, r.Ticks);
  // Tick by tick the same game, although the playback draws nothing; after
  // the last tick the played run shows the table, the playback the menu.
  const auto played = Lines(Slurp("played.jsonl")), replayed = Lines(Slurp("replayed.jsonl"));
  ASSERT_EQ(replayed.size(), size_t(r.Ticks));
  ASSERT_GT(played.size(), size_t(r.Ticks));
  for (size_t i = 0; i + 1 < replayed.size(); ++i) ASSERT_EQ(replayed[i], played[i]) << "tick " << i + 1;

  struct Case {
    const char* What;
    void (*Alter)(TRecording&);
    const char* Says;
  };
  const Case cases[] = {
      {"final score", [](TRecording& x) { x.FinalScore += 1; }, "tick"},
      {"a level's score", [](TRecording& x) { x.Levels[0].Score += 10; }, "level 1 ended at tick"},
      {"a level never reached",
       [](TRecording& x) {
         x.Levels.push_back({x.FinalLevel, x.Ticks, x.FinalScore});
       },
       "before level"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TRecording altered = r;
    c.Alter(altered);
    ASSERT_TRUE(SaveFileAtomically("altered.fwr", EncodeRecording(altered)));
    const replay::TReplayResult out = Replay("altered.fwr");
    EXPECT_NE(out.Divergence.find(c.Says), std::string::npos) << out.Divergence;
    EXPECT_EQ(out.Score, r.FinalScore);  // what the game made of it
  }

  // Longer than allowed: refused before it runs.
  ResetProgramState();
  replay::TRunner runner(Parse("--replay game.fwr --max-ticks " + std::to_string(r.Ticks - 1)));
  EXPECT_THROW(runner.Run(), replay::TReplayTooLong);
}

// A recording plays on every build of its logic version, whatever game
// version it names; another logic version or other images are refused with
// a message naming them.
TEST_F(RecordedGameTest, RecordingOfAnotherLogicVersionOrOtherImagesIsRefused) {
  {
    replay::TRunner runner(Parse("--seed 3 --start game --random-input 3 --ticks 4000 --record game.fwr"));
    runner.Run();
  }
  const TRecording made = ReadRecordingFile("game.fwr");
  EXPECT_EQ(made.LogicVersion, kLogicVersion);
  EXPECT_EQ(made.GameVersion, GameVersionText());
  struct Case {
    const char* What;
    std::function<void(TRecording&)> Change;
    const char* Says;  // nullptr: it plays
  };
  const std::string older = "made by logic version " + std::to_string(kLogicVersion - 1) +
                            " (game 1.9); this game plays logic version " + std::to_string(kLogicVersion);
  const Case cases[] = {
      {"another game version", [](TRecording& r) { r.GameVersion = "9.9"; }, nullptr},
      {"an older logic",
       [](TRecording& r) {
         r.LogicVersion = kLogicVersion - 1;
         r.GameVersion = "1.9";
       },
       older.c_str()},
      {"a newer logic", [](TRecording& r) { r.LogicVersion = kLogicVersion + 1; }, "made by logic version"},
      {"other images", [](TRecording& r) { r.ImageFingerprint ^= 1; }, "other images"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TRecording r = made;
    c.Change(r);
    ASSERT_TRUE(SaveFileAtomically("other.fwr", EncodeRecording(r)));
    ResetProgramState();
    replay::TRunner runner(Parse("--replay other.fwr"));
    try {
      runner.Run();
      EXPECT_EQ(c.Says, nullptr) << "played";
      EXPECT_EQ(runner.ReplayResult().Divergence, "");
    } catch (const replay::TReplayError& e) {
      ASSERT_NE(c.Says, nullptr) << e.what();
      EXPECT_NE(std::string(e.what()).find(c.Says), std::string::npos) << e.what();
    }
  }
}

class RecordedFormGame : public FormHarness {};

// The game refuses a recording of another logic version in a message box
// naming both, and stays on the main menu.
TEST_F(RecordedFormGame, RecordingOfAnotherLogicVersionIsRefusedInAMessageBox) {
  Create();
  TRecording r;
  r.GameVersion = "2.1";
  r.LogicVersion = kLogicVersion + 1;
  ASSERT_TRUE(SaveFileAtomically("newer.fwr", EncodeRecording(r)));
  PlayRecordingFile("newer.fwr");
  ASSERT_EQ(null.MessageBoxes.size(), 1u);
  EXPECT_NE(
      null.MessageBoxes[0].second.find("made by logic version " + std::to_string(kLogicVersion + 1) +
                                       " (game 2.1); this game plays logic version " + std::to_string(kLogicVersion)),
      std::string::npos)
      << null.MessageBoxes[0].second;
  EXPECT_FALSE(PlayingBack());
  EXPECT_EQ(GameScreen, MainMenu);
}

TEST_F(RecordedFormGame, GameThroughTheFormIsKeptAndReplaysToItsNameAndScore) {
  Create();
  for (int i = 1; i <= 10; ++i) HighScores[size_t(i)] = {"LOW", -1};  // any score enters the table
  SetServerForTests("127.0.0.1", 1, std::chrono::milliseconds(300));  // nobody there
  Click();                                                            // New Game
  ASSERT_EQ(GameScreen, Game);
  for (int i = 0; i < 400 && PlayState != Running; ++i) Tick();
  Key(platform::VK_RIGHT, true);
  for (int i = 0; i < 40; ++i) Tick();
  Key(platform::VK_UP, true);
  Tick();
  Key(platform::VK_UP, false);
  Key(platform::VK_RIGHT, false);
  for (int i = 0; i < 40; ++i) Tick();
  Key(platform::VK_ESCAPE, true);
  Tick();
  Key(platform::VK_ESCAPE, false);
  Key('Y', true);
  Tick();
  Key('Y', false);
  ASSERT_EQ(PlayState, NameEntry);
  Type('A');  // two letters within one tick
  Type('B');
  Tick();
  Type('\r');
  Tick();
  ASSERT_EQ(PlayState, SubmitPrompt);
  Key('Y', true);
  Tick();
  Key('Y', false);
  Tick();
  ASSERT_NE(GameScreen, Game);
  const int32_t score = Score;

  std::vector<fs::path> kept;
  for (const auto& e : fs::directory_iterator(RecordingsFolder)) kept.push_back(e.path());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].extension(), ".fwr");
  EXPECT_NE(kept[0].filename().string().find("-hs.fwr"), std::string::npos);  // it entered the table
  EXPECT_EQ(Slurp(kept[0]), RecorderState.LastBytes);                         // the bytes that went with the submission
  const TRecording r = ReadRecordingFile(kept[0].string());
  EXPECT_TRUE(r.Submitted);
  EXPECT_EQ(r.Name, "AB");
  EXPECT_EQ(r.FinalScore, score);

  const std::string table = Slurp(HighScoresPath);
  form.reset();
  platform::SetCurrent(nullptr);
  ResetProgramState();
  replay::TRunner runner(replay::ParseArguments({"--replay", kept[0].string()}));
  runner.Run();
  const replay::TReplayResult& out = runner.ReplayResult();
  EXPECT_EQ(out.Divergence, "");
  EXPECT_EQ(out.Name, "AB");
  EXPECT_EQ(out.Score, score);
  EXPECT_EQ(out.Ticks, r.Ticks);
  // The player's table is not touched by a recording played back.
  EXPECT_EQ(Slurp(HighScoresPath), table);
}

}  // namespace
