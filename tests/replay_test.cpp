// The replay runner itself: its script and arguments, the trace, the shots
// and the timing run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "GameHarness.h"
#include "Replay.h"

using namespace fusewick;
using namespace fusewick::testing;

namespace {

class ReplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetProgramState();
    InstallGameData();
  }
  void TearDown() override { ResetProgramState(); }

  // Runs the options on the built game data; the program state is
  // reset before, so runs in a row are independent.
  replay::TTimedemo Run(const replay::TOptions& o) {
    ResetProgramState();
    replay::TRunner runner(o);
    return runner.Run();
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  static replay::TOptions Parse(const std::string& args) {
    std::vector<std::string> v;
    std::istringstream in(args);
    for (std::string a; in >> a;) v.push_back(a);
    return replay::ParseArguments(v);
  }

  TempDir dir;
};

TEST_F(ReplayTest, ScriptLines) {
  std::istringstream in("# a comment\n\n5 +Right\n  3 type AB C\r\n5 -Right\n0 +Enter\n");
  const auto script = replay::ParseScript(in);
  ASSERT_EQ(script.size(), 4u);
  // Sorted by tick, in file order within a tick.
  EXPECT_EQ(script[0].Tick, 0);
  EXPECT_EQ(script[1].Action, replay::TInputChange::Type);
  EXPECT_EQ(script[1].Name, "AB C");
  EXPECT_EQ(script[2].Action, replay::TInputChange::Press);
  EXPECT_EQ(script[3].Action, replay::TInputChange::Release);
}

TEST_F(ReplayTest, BadScriptLinesNameTheirLine) {
  for (const char* bad : {"x +Up", "5 +Jump", "5 Up", "5 type", "-1 +Up", "5 +Up extra"}) {
    std::istringstream in(std::string("1 +Up\n") + bad + "\n");
    try {
      replay::ParseScript(in);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const replay::TReplayError& e) {
      EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
    }
  }
}

TEST_F(ReplayTest, Arguments) {
  const replay::TOptions o = Parse(
      "--seed 42 --start game --level 3 --ticks 10 --frame-rate 30.5 --shot 4:a.png "
      "--shot 9:b.png --trace t.jsonl --timedemo --random-input 7 --armed");
  EXPECT_EQ(o.Seed, 42u);
  EXPECT_TRUE(o.StartGame);
  EXPECT_EQ(o.Level, 3);
  EXPECT_EQ(o.Ticks, 10);
  EXPECT_EQ(o.FrameRate, 30.5);
  ASSERT_EQ(o.Shots.size(), 2u);
  EXPECT_EQ(o.Shots[1], (std::pair<int32_t, std::string>{9, "b.png"}));
  EXPECT_EQ(o.TracePath, "t.jsonl");
  EXPECT_TRUE(o.Timedemo);
  EXPECT_EQ(o.RandomInput, 7u);
  EXPECT_TRUE(o.Armed);
  for (const char* bad : {"--ticks", "--ticks ten", "--start level", "--level 2", "--frame-rate 0", "--shot 5",
                          "--seed -1", "--bogus", "--script /no/such/file", "--random-input x"})
    EXPECT_THROW(Parse(bad), replay::TReplayError) << bad;
}

TEST_F(ReplayTest, NumbersOutOfTheirRangeSayTheRange) {
  struct Case {
    const char* args;
    const char* error;
  } cases[] = {
      {"--start game --level 2147483647", "--level must be from 1 to 1000, not 2147483647"},
      {"--start game --level 99999999999", "--level must be from 1 to 1000, not 99999999999"},
      {"--level 0", "--level must be from 1 to 1000, not 0"},
      {"--ticks 10000001", "--ticks must be from 0 to 10000000, not 10000001"},
      {"--ticks -1", "--ticks must be from 0 to 10000000, not -1"},
      {"--ticks 5 --shot 0:a.png", "--shot tick must be from 1 to 10000000, not 0"},
      {"--ticks 5 --shot 6:a.png", "--shot at tick 6 comes after the last tick (5)"},
      {"--frame-rate 1e-300", "--frame-rate must be from 1 to 1000"},
      {"--frame-rate 1001", "--frame-rate must be from 1 to 1000"},
      {"--frame-rate nan", "--frame-rate must be from 1 to 1000"},
      {"--frame-rate inf", "--frame-rate must be from 1 to 1000"},
  };
  for (const Case& c : cases) {
    try {
      Parse(c.args);
      ADD_FAILURE() << "accepted: " << c.args;
    } catch (const replay::TReplayError& e) {
      EXPECT_STREQ(e.what(), c.error) << c.args;
    }
  }
  const replay::TOptions o = Parse("--start game --level 1000 --ticks 10000000 --shot 10000000:a.png --frame-rate 1");
  EXPECT_EQ(o.Level, 1000);
  EXPECT_EQ(o.Ticks, 10000000);
}

TEST_F(ReplayTest, ScriptsAreReadWithinBounds) {
  std::filesystem::create_directory("folder");
  std::ofstream("long.txt") << "1 type " << std::string(replay::kMaxScriptLine, 'A') << "\n";
  std::ofstream("longest.txt") << "1 type " << std::string(replay::kMaxScriptLine - 7, 'A') << "\n";
  std::ofstream("many.txt") << std::string(replay::kMaxScriptBytes, '\n') << "1 +Up\n";
  struct Case {
    const char* file;
    const char* error;  // "" when read
  } cases[] = {
      {"/dev/zero", "/dev/zero: script line 1: longer than 4096 characters"},
      {"folder", "cannot read script folder: it is a folder"},
      {"long.txt", "long.txt: script line 1: longer than 4096 characters"},
      {"many.txt", "many.txt: script larger than 4 MB"},
      {"longest.txt", ""},
  };
  for (const Case& c : cases) {
    std::string error;
    try {
      Parse(std::string("--script ") + c.file);
    } catch (const replay::TReplayError& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.error) << c.file;
  }
}

TEST_F(ReplayTest, SameSeedAndScriptGiveTheSameTraceBytes) {
  std::ofstream("walk.txt") << "70 +Right\n100 +Up\n101 -Up\n160 -Right\n160 +Left\n200 +Up\n215 -Up\n";
  auto options = [](uint32_t seed, const std::string& trace) {
    replay::TOptions o = Parse("--start game --ticks 400 --script walk.txt --trace " + trace);
    o.Seed = seed;
    return o;
  };
  Run(options(11, "a.jsonl"));
  Run(options(11, "b.jsonl"));
  Run(options(12, "c.jsonl"));
  const std::string a = Slurp("a.jsonl");
  EXPECT_EQ(Lines(a).size(), 400u);
  EXPECT_EQ(a, Slurp("b.jsonl"));
  EXPECT_NE(a, Slurp("c.jsonl"));  // another seed, another level
}

TEST_F(ReplayTest, TraceFields) {
  replay::TOptions o = Parse("--ticks 2 --trace menu.jsonl");
  Run(o);
  // On the menu there is no hero.
  EXPECT_EQ(Lines(Slurp("menu.jsonl"))[0],
            "{\"tick\":1,\"GameScreen\":2,\"PlayState\":0,\"Level\":0,\"Score\":0,\"Lives\":0,\"FuseInterval\":0,"
            "\"CountBombsLeft\":0,\"Platforms\":0,\"Clouds\":0,\"Walls\":0,\"LevelItems\":0,\"Monsters\":0,"
            "\"Bullets\":0,\"X\":null,\"Y\":null,\"VelX\":null,\"VelY\":null,\"State\":null,\"Energy\":null,"
            "\"Airborne\":null,\"ActiveBonus\":0}");
  o = Parse("--start game --level 46 --ticks 1 --trace game.jsonl");
  o.Seed = 3;
  Run(o);
  const std::string line = Lines(Slurp("game.jsonl"))[0];
  for (const char* part : {"\"GameScreen\":1,\"PlayState\":1,\"Level\":46,", "\"Lives\":3,\"FuseInterval\":2,",
                           "\"X\":500,\"Y\":100,\"VelX\":0,\"VelY\":0,\"State\":1,\"Energy\":5,\"Airborne\":false,"})
    EXPECT_NE(line.find(part), std::string::npos) << part << " in " << line;
}

TEST_F(ReplayTest, ShotsAreWrittenAsPngOfTheBackSurface) {
  Run(Parse("--start game --ticks 3 --shot 2:two.png"));
  const std::string png = Slurp("two.png");
  ASSERT_GT(png.size(), 33u);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  auto be32 = [&](size_t at) {
    return (uint32_t(uint8_t(png[at])) << 24) | (uint32_t(uint8_t(png[at + 1])) << 16) |
           (uint32_t(uint8_t(png[at + 2])) << 8) | uint32_t(uint8_t(png[at + 3]));
  };
  EXPECT_EQ(be32(16), 800u);  // the header's width and height
  EXPECT_EQ(be32(20), 600u);
  EXPECT_THROW(Run(Parse("--ticks 1 --shot 1:/no/such/dir/x.png")), replay::TReplayError);
}

TEST_F(ReplayTest, TimedemoFigures) {
  const replay::TTimedemo t = Run(Parse("--start game --ticks 40 --timedemo"));
  EXPECT_EQ(t.Ticks, 40);
  EXPECT_GT(t.MedianUs, 0);
  EXPECT_LE(t.MedianUs, t.P99Us);
  EXPECT_LE(t.P99Us, t.WorstUs);
  EXPECT_EQ(t.SteadyTicks, 20);
  std::ostringstream out;
  replay::PrintTimedemo(t, out);
  EXPECT_NE(out.str().find("median tick us: "), std::string::npos);
}

TEST_F(ReplayTest, StartsOnEachMenuScreen) {
  const std::pair<const char*, TGameScreen> cases[] = {
      {"menu", MainMenu}, {"options", Options}, {"highscores", HighScoreScreen}, {"help", Help}};
  for (const auto& [name, screen] : cases) {
    ResetProgramState();
    replay::TRunner runner(Parse(std::string("--ticks 2 --start ") + name));
    runner.Run();
    EXPECT_EQ(GameScreen, screen) << name;
  }
  EXPECT_THROW(Parse("--start options --level 2"), replay::TReplayError);
}

}  // namespace
