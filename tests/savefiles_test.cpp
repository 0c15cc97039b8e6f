#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/PlayFlow.h"
#include "platform/NullPlatform.h"
#include "services/GameGlobals.h"
#include "services/Records.h"
#include "services/SaveFiles.h"

using namespace fusewick;
namespace fs = std::filesystem;

namespace {

// Nine bytes: the check string of the ten "ANONYMOUS" entries.
const std::string DefaultCheck = "\x38\x8C\x96\x5C\x7A\xE2\xF6\x52\x3E";

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string DefaultHsFile() {
  std::string s;
  for (int i = 1; i <= 10; ++i) s += "ANONYMOUS\r\n" + std::to_string(1100 - 100 * i) + "\r\n";
  return s;
}

std::vector<THighScore> Table(int last = 10) { return {HighScores.begin() + 1, HighScores.begin() + last + 1}; }

std::vector<THighScore> DefaultTable() {
  std::vector<THighScore> t;
  for (int i = 1; i <= 10; ++i) t.push_back({"ANONYMOUS", 1100 - 100 * i});
  return t;
}

// Every test runs in a fresh empty folder, so no real table is ever touched.
class SaveFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::current_path();
    std::string tmpl = (fs::temp_directory_path() / "fusewick-save-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
    fs::current_path(dir_);
    ResetRecords();
    ResetGameGlobals();
  }
  void TearDown() override {
    fs::current_path(home_);
    fs::remove_all(dir_);
    ResetRecords();
    ResetGameGlobals();
  }

  fs::path home_, dir_;
};

}  // namespace

TEST(CheckString, DefaultTableGivesTheNineKnownBytes) {
  ResetRecords();
  ResetHighScores();
  EXPECT_EQ(HighScoreCheckString(), DefaultCheck);
}

TEST(CheckString, ScoreTextsLongerThanNamesExtendTheString) {
  struct Case {
    const char* name;
    int32_t score;
    std::string want;
  };
  for (const auto& c : {Case{"", 0, "\xA0"}, Case{"AB", 12345, "\xF4\x28\xBE\xC8\xD2"}}) {
    ResetRecords();
    for (int i = 1; i <= 10; ++i) HighScores[i] = {c.name, c.score};
    EXPECT_EQ(HighScoreCheckString(), c.want) << "'" << c.name << "' " << c.score;
  }
  ResetRecords();
}

TEST(CheckString, EveryNameByteAndScoreDigitCounts) {
  ResetRecords();
  ResetHighScores();
  struct Edit {
    int entry;
    const char* name;
    int32_t score;
  };
  for (auto [entry, name, score] : {Edit{1, "ANONYMOUT", 1000}, Edit{10, "ANONYMOUS", 101}, Edit{5, "ANONYMOUS", -600},
                                    Edit{7, "ANONYMOUS ", 400}}) {
    THighScore kept = HighScores[entry];
    HighScores[entry] = {name, score};
    EXPECT_NE(HighScoreCheckString(), DefaultCheck) << entry << " " << name << " " << score;
    HighScores[entry] = kept;
  }
  ResetRecords();
}

TEST(SaveNumber, ReadsADecimalOrZero) {
  struct Case {
    const char* line;
    int32_t want;
  };
  for (auto [line, want] :
       {Case{"1", 1}, Case{"  7 junk", 7}, Case{"\t-12", -12}, Case{"+5", 5}, Case{"0", 0}, Case{"", 0}, Case{"   ", 0},
        Case{"yes", 0}, Case{"1x", 0}, Case{"0x1F", 0}, Case{"+-5", 0}, Case{"-", 0}, Case{"2147483647", INT32_MAX},
        Case{"-2147483648", INT32_MIN}, Case{"2147483648", 0}, Case{"99999999999", 0}})
    EXPECT_EQ(ParseSaveNumber(line), want) << "'" << line << "'";
}

TEST_F(SaveFilesTest, RoundTripWritesExactBytes) {
  ResetHighScores();
  HighScores[1] = {" MAX  POWER ", 123456};
  HighScores[2] = {"", 0};
  HighScores[10] = {"LOSER", -250};
  GameOptions = {true, false, true, "HELLO WORLD "};
  HighScores[11] = {"NEVER SAVED", 99};

  ASSERT_TRUE(SaveOptions());
  ASSERT_TRUE(SaveHighScores());

  std::string hs = " MAX  POWER \r\n123456\r\n\r\n0\r\n";
  for (int i = 3; i <= 9; ++i) hs += "ANONYMOUS\r\n" + std::to_string(1100 - 100 * i) + "\r\n";
  hs += "LOSER\r\n-250\r\n";
  EXPECT_EQ(ReadBytes("Data/Save/hs"), hs);
  const std::string check = HighScoreCheckString();
  EXPECT_EQ(ReadBytes("Data/Save/options"), "1\r\n0\r\n1\r\nHELLO WORLD \r\n" + check + "\r\n");

  const auto saved = Table();
  ResetRecords();
  LoadSaveFiles();
  EXPECT_EQ(Table(), saved);
  EXPECT_TRUE(GameOptions.FullScreen);
  EXPECT_FALSE(GameOptions.MusicOn);
  EXPECT_TRUE(GameOptions.SoundOn);
  EXPECT_EQ(GameOptions.AddText, "HELLO WORLD ");
  EXPECT_EQ(HighScoreCheck, check);
}

TEST_F(SaveFilesTest, OptionsOfTheDefaultTableCarryItsCheckBytes) {
  ResetHighScores();
  GameOptions = {false, true, false, ""};
  ASSERT_TRUE(SaveOptions());
  EXPECT_EQ(ReadBytes("Data/Save/options"), "0\r\n1\r\n0\r\n\r\n" + DefaultCheck + "\r\n");
}

TEST_F(SaveFilesTest, StartUpKeepsOnlyATableThatMatchesItsCheck) {
  const std::string edited = [] {
    std::string s = DefaultHsFile();
    s.replace(s.find("1000"), 4, "9000");  // a hand-raised best score
    return s;
  }();
  const std::string goodOptions = "1\r\n1\r\n0\r\nTEXT\r\n" + DefaultCheck + "\r\n";
  struct Case {
    const char* what;
    const char* hs;
    std::string hsBytes;
    const char* options;
    std::string optBytes;
    bool kept;
  };
  const Case cases[] = {
      {"intact", "hs", DefaultHsFile(), "options", goodOptions, true},
      {"hs edited by hand", "hs", edited, "options", goodOptions, false},
      {"options deleted", "hs", DefaultHsFile(), nullptr, "", false},
      {"hs deleted", nullptr, "", "options", goodOptions, false},
      {"both deleted", nullptr, "", nullptr, "", false},
  };
  for (const auto& c : cases) {
    fs::remove_all("Data");
    fs::create_directories("Data/Save");
    if (c.hs) WriteBytes("Data/Save/hs", c.hsBytes);
    if (c.options) WriteBytes("Data/Save/options", c.optBytes);
    ResetRecords();
    LoadHighScores();
    LoadOptions();
    EXPECT_EQ(HighScoresIntact(), c.kept) << c.what;
    ResetRecords();
    LoadSaveFiles();
    EXPECT_EQ(Table(), DefaultTable()) << c.what;
  }
  // The options stay as read even when the table is replaced.
  WriteBytes("Data/Save/hs", edited);
  WriteBytes("Data/Save/options", goodOptions);
  ResetRecords();
  LoadSaveFiles();
  EXPECT_EQ(Table(), DefaultTable());
  EXPECT_TRUE(GameOptions.FullScreen);
  EXPECT_TRUE(GameOptions.MusicOn);
  EXPECT_EQ(GameOptions.AddText, "TEXT");
}

TEST_F(SaveFilesTest, ShortMissingOrGarbageHsFileReadsAsEmptyNamesAndZeros) {
  struct Case {
    const char* what;
    const char* bytes;
    std::vector<THighScore> first;
  };
  const Case cases[] = {
      {"missing", nullptr, {}},
      {"short", "BOB\r\n500\r\nAL\r\n", {{"BOB", 500}, {"AL", 0}}},
      {"LF line ends, no last line end", "BOB\n500\nAL\n42", {{"BOB", 500}, {"AL", 42}}},
      {"garbage scores", "X\r\nabc\r\n\x01\xFF\r\n12ab\r\n", {{"X", 0}, {"\x01\xFF", 0}}},
  };
  for (const auto& c : cases) {
    fs::remove_all("Data");
    if (c.bytes) WriteBytes("Data/Save/hs", c.bytes);
    ResetRecords();
    for (int i = 1; i <= 10; ++i) HighScores[i] = {"STALE", 1};
    LoadHighScores();
    std::vector<THighScore> want = c.first;
    want.resize(10);
    EXPECT_EQ(Table(), want) << c.what;
  }
}

TEST_F(SaveFilesTest, ShortMissingOrGarbageOptionsFileReadsAsOffAndEmpty) {
  struct Case {
    const char* what;
    const char* bytes;
    TGameOptions want;
    const char* check;
  };
  const Case cases[] = {
      {"missing", nullptr, {false, false, false, ""}, ""},
      {"short", "1\r\n", {true, false, false, ""}, ""},
      {"words and junk", "  7 junk\r\nyes\r\n-1\r\n TXT \r\nCHK", {true, false, true, " TXT "}, "CHK"},
      {"binary", "\x01\xFE\r\n1x\r\n99999999999\r\n", {false, false, false, ""}, ""},
  };
  for (const auto& c : cases) {
    fs::remove_all("Data");
    if (c.bytes) WriteBytes("Data/Save/options", c.bytes);
    ResetRecords();
    GameOptions = {true, true, true, "STALE"};
    HighScoreCheck = "STALE";
    LoadOptions();
    EXPECT_EQ(GameOptions.FullScreen, c.want.FullScreen) << c.what;
    EXPECT_EQ(GameOptions.MusicOn, c.want.MusicOn) << c.what;
    EXPECT_EQ(GameOptions.SoundOn, c.want.SoundOn) << c.what;
    EXPECT_EQ(GameOptions.AddText, c.want.AddText) << c.what;
    EXPECT_EQ(HighScoreCheck, c.check) << c.what;
  }
}

TEST(HighScoreTable, ScoreQualifiesOnlyAboveSomeEntry) {
  struct Case {
    int32_t tenth;
    int32_t score;
    bool want;
  };
  for (auto [tenth, score, want] : {Case{100, 100, false}, Case{100, 101, true}, Case{100, 0, false},
                                    Case{100, 5000, true}, Case{-50, -50, false}, Case{-50, -49, true}}) {
    ResetRecords();
    ResetHighScores();
    HighScores[10].Score = tenth;
    EXPECT_EQ(ScoreQualifies(score), want) << tenth << " vs " << score;
  }
  ResetRecords();
  ResetGameGlobals();
}

TEST(HighScoreTable, NewResultGoesBelowEqualScores) {
  // Entry 11 takes the new result; after the sort it holds the lowest.
  struct Case {
    int32_t score;
    std::vector<const char*> order;
  };
  const Case cases[] = {
      {1001, {"NEW", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J"}},
      {900, {"A", "B", "C", "NEW", "D", "E", "F", "G", "H", "I", "J"}},
      {101, {"A", "B", "C", "D", "E", "F", "G", "H", "I", "NEW", "J"}},
      {100, {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "NEW"}},
      {-5, {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "NEW"}},
  };
  for (const auto& c : cases) {
    ResetRecords();
    const int32_t scores[] = {1000, 900, 900, 800, 700, 600, 500, 400, 300, 100};
    for (int i = 1; i <= 10; ++i) HighScores[i] = {std::string(1, char('A' + i - 1)), scores[i - 1]};
    HighScores[11] = {"NEW", c.score};
    SortHighScores();
    std::vector<std::string> names;
    for (const auto& e : Table(11)) names.push_back(e.Name);
    EXPECT_EQ(names, std::vector<std::string>(c.order.begin(), c.order.end())) << c.score;
  }
  ResetRecords();
}

TEST(HighScoreTable, SortOfAnUnorderedTableIsStable) {
  ResetRecords();
  const int32_t scores[] = {5, 7, 5, -1, 7, 9, 5, 0, 7, -1, 9};
  for (int i = 1; i <= 11; ++i) HighScores[i] = {std::to_string(i), scores[i - 1]};
  SortHighScores();
  const std::vector<THighScore> want = {{"6", 9}, {"11", 9}, {"2", 7}, {"5", 7},  {"9", 7},  {"1", 5},
                                        {"3", 5}, {"7", 5},  {"8", 0}, {"4", -1}, {"10", -1}};
  EXPECT_EQ(Table(11), want);
  ResetRecords();
}

TEST_F(SaveFilesTest, MissingSaveFolderIsCreated) {
  ASSERT_FALSE(fs::exists("Data"));
  LoadSaveFiles();
  HighScores[3] = {"KEPT", 850};
  GameOptions.AddText = "KEPT TOO";
  SaveSaveFiles();
  ASSERT_TRUE(fs::is_regular_file("Data/Save/hs"));
  ASSERT_TRUE(fs::is_regular_file("Data/Save/options"));
  const auto saved = Table();
  ResetRecords();
  LoadSaveFiles();
  EXPECT_EQ(Table(), saved);
  EXPECT_EQ(GameOptions.AddText, "KEPT TOO");
}

TEST_F(SaveFilesTest, SaveThatCannotWriteReportsFailure) {
  std::ofstream("Data") << "not a folder";
  ResetHighScores();
  EXPECT_FALSE(SaveHighScores());
  EXPECT_FALSE(SaveOptions());
  EXPECT_EQ(ReadBytes("Data"), "not a folder");
}

// A save that dies half-way (the process killed by the kernel when the file
// outgrows its size limit) or fails half-way (the same limit with the signal
// ignored: the write fails) leaves the previous files whole.
TEST_F(SaveFilesTest, InterruptedSaveLeavesThePreviousFilesWhole) {
  LoadSaveFiles();
  HighScores[1] = {"OLD BEST", 4242};
  GameOptions = {true, true, true, "OLD"};
  SaveSaveFiles();
  const std::string oldHs = ReadBytes("Data/Save/hs");
  const std::string oldOptions = ReadBytes("Data/Save/options");
  ASSERT_FALSE(oldHs.empty());
  ASSERT_FALSE(oldOptions.empty());
  const auto oldTable = Table();

  for (bool killed : {false, true}) {
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::alarm(10);  // a stuck child ends itself
      if (!killed) ::signal(SIGXFSZ, SIG_IGN);
      rlimit limit{16, 16};  // bytes: less than either file
      ::setrlimit(RLIMIT_FSIZE, &limit);
      for (int i = 1; i <= 10; ++i) HighScores[i] = {"A LONG NEW NAME THAT WILL NOT FIT", 1};
      GameOptions.AddText = "A LONG NEW TEXT THAT WILL NOT FIT";
      const bool hsSaved = SaveHighScores();
      const bool optionsSaved = SaveOptions();
      ::_exit(10 + (hsSaved ? 1 : 0) + (optionsSaved ? 2 : 0));
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (killed) {
      ASSERT_TRUE(WIFSIGNALED(status)) << status;
      EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    } else {
      ASSERT_TRUE(WIFEXITED(status)) << status;
      EXPECT_EQ(WEXITSTATUS(status), 10) << "both saves must report failure";
      // A failed save cleans up after itself.
      std::vector<std::string> names;
      for (const auto& e : fs::directory_iterator("Data/Save")) names.push_back(e.path().filename().string());
      std::sort(names.begin(), names.end());
      EXPECT_EQ(names, (std::vector<std::string>{"hs", "options"}));
    }
    EXPECT_EQ(ReadBytes("Data/Save/hs"), oldHs) << (killed ? "killed" : "failed");
    EXPECT_EQ(ReadBytes("Data/Save/options"), oldOptions) << (killed ? "killed" : "failed");
    ResetRecords();
    LoadSaveFiles();
    EXPECT_EQ(Table(), oldTable);
    EXPECT_EQ(GameOptions.AddText, "OLD");
  }
}

// ---- what the program may write, and what it tells

namespace {

// A save file's kind and content, enough to see that nothing replaced it.
std::string Snapshot(const fs::path& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return "missing";
  const std::string mode = std::to_string(st.st_mode);
  if (S_ISLNK(st.st_mode)) return "link " + fs::read_symlink(path).string();
  if (S_ISDIR(st.st_mode)) return "folder " + mode;
  if (S_ISFIFO(st.st_mode)) return "fifo " + mode;
  return "file " + mode + " " + ReadBytes(path);
}

// A default table with its options, as the game writes them.
void WriteDefaultPair() {
  WriteBytes("Data/Save/hs", DefaultHsFile());
  WriteBytes("Data/Save/options", "0\r\n1\r\n1\r\nOLD\r\n" + DefaultCheck + "\r\n");
}

// Every way the program saves, after a new entry and a changed option.
void ChangeAndSaveEverything() {
  HighScores[11] = {"NEW BEST", 5000};
  SortHighScores();
  GameOptions.AddText = "CHANGED";
  SaveTableNow("Your score");
  SaveOptionsNow();
  SaveSaveFiles();
  SaveSaveFilesQuietly();
}

}  // namespace

TEST_F(SaveFilesTest, NothingIsSavedBeforeTheFilesWereRead) {
  // A start-up that stopped before the save files: memory holds no table.
  WriteDefaultPair();
  HighScores[1].Score = 99;
  const std::string hs = ReadBytes("Data/Save/hs"), options = ReadBytes("Data/Save/options");
  ASSERT_FALSE(SavesAllowed());
  ChangeAndSaveEverything();
  EXPECT_EQ(ReadBytes("Data/Save/hs"), hs);
  EXPECT_EQ(ReadBytes("Data/Save/options"), options);
  LoadSaveFiles();
  EXPECT_TRUE(SavesAllowed());
}

// A save file that exists but cannot be read is told (naming it) and is
// never written in that run; the other file is written only where that
// keeps the pair: the options with the old check string when the table is
// unreadable, nothing when the options are (the table in memory is then the
// default one, not the player's). Each case runs in a child process: the
// permission case drops root's rights first (root reads any file), to
// "nobody", in a folder that "nobody" may write, so that only the game's
// own rule keeps the file.
TEST_F(SaveFilesTest, UnreadableFilesAreToldAndNeverWritten) {
  struct Kind {
    const char* what;
    void (*make)(const fs::path&);
    bool dropRoot;
  };
  const Kind kinds[] = {
      {"no permission", [](const fs::path& p) { fs::permissions(p, fs::perms::none); }, true},
      {"a folder",
       [](const fs::path& p) {
         fs::remove(p);
         fs::create_directories(p / "inside");
       },
       false},
      {"a FIFO",
       [](const fs::path& p) {
         fs::remove(p);
         ASSERT_EQ(::mkfifo(p.c_str(), 0666), 0);
       },
       false},
      {"a link to /dev/zero",
       [](const fs::path& p) {
         fs::remove(p);
         fs::create_symlink("/dev/zero", p);
       },
       false},
  };
  for (const char* file : {HighScoresPath, OptionsPath}) {
    for (const Kind& kind : kinds) {
      SCOPED_TRACE(std::string(file) + " is " + kind.what);
      fs::remove_all("Data");
      WriteDefaultPair();
      kind.make(file);
      const std::string unreadable = Snapshot(file);
      const std::string hs = Snapshot(HighScoresPath);
      pid_t child = ::fork();
      ASSERT_GE(child, 0);
      if (child == 0) {
        ::alarm(10);  // a hang (an open that waits on the FIFO) ends the child
        if (kind.dropRoot && ::geteuid() == 0) {
          fs::permissions(dir_, fs::perms::all);
          fs::permissions("Data", fs::perms::all);
          fs::permissions("Data/Save", fs::perms::all);
          if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(77);
        }
        ResetRecords();
        LoadSaveFiles();
        const bool told = UnreadableSaveFilesText().find(fs::absolute(file).string()) != std::string::npos;
        const bool status = (file == std::string(HighScoresPath) ? HighScoresFileStatus() : OptionsFileStatus()) ==
                            TSaveFileStatus::Unreadable;
        ChangeAndSaveEverything();
        ::_exit((told ? 0 : 1) + (status ? 0 : 2));
      }
      int status = 0;
      ASSERT_EQ(::waitpid(child, &status, 0), child);
      ASSERT_TRUE(WIFEXITED(status)) << "the child hung or crashed: " << status;
      if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot drop root's rights here";
      EXPECT_EQ(WEXITSTATUS(status), 0) << "1: not told, 2: not seen as unreadable";
      EXPECT_EQ(Snapshot(file), unreadable);
      if (file == std::string(OptionsPath)) {
        EXPECT_EQ(Snapshot(HighScoresPath), hs);
      } else {
        // The options are saved, with the check string of the table on disk.
        EXPECT_EQ(ReadBytes(OptionsPath), "0\r\n1\r\n1\r\nCHANGED\r\n" + DefaultCheck + "\r\n");
      }
    }
  }
}

TEST_F(SaveFilesTest, MissingFilesAreNotToldAndMayBeWritten) {
  LoadSaveFiles();
  EXPECT_EQ(HighScoresFileStatus(), TSaveFileStatus::Missing);
  EXPECT_EQ(OptionsFileStatus(), TSaveFileStatus::Missing);
  EXPECT_EQ(UnreadableSaveFilesText(), "");
  ChangeAndSaveEverything();
  ResetRecords();
  LoadSaveFiles();
  EXPECT_EQ(HighScores[1], (THighScore{"NEW BEST", 5000}));
  EXPECT_EQ(GameOptions.AddText, "CHANGED");
}

// Names and the text are cut to their bounds when read, and a file is read
// no further than the largest the game writes; a file of exactly that size
// reads whole and keeps its table.
TEST_F(SaveFilesTest, LongNamesAndTextAreCutOnRead) {
  ResetRecords();
  for (int i = 1; i <= 10; ++i) HighScores[i] = {std::string(kMaxNameBytes, char('A' + i)), INT32_MIN};
  GameOptions.AddText = std::string(kMaxTextBytes, 'T');
  ASSERT_TRUE(SaveHighScores());
  ASSERT_TRUE(SaveOptions());
  EXPECT_EQ(fs::file_size(HighScoresPath), kHighScoresFileMaxBytes);
  EXPECT_EQ(fs::file_size(OptionsPath), kOptionsFileMaxBytes);
  const auto largest = Table();
  ResetRecords();
  LoadSaveFiles();
  EXPECT_EQ(Table(), largest);
  EXPECT_EQ(GameOptions.AddText, std::string(kMaxTextBytes, 'T'));

  struct Case {
    size_t length;
    size_t kept;
  };
  for (auto [length, kept] :
       {Case{kMaxNameBytes, kMaxNameBytes}, Case{kMaxNameBytes + 1, kMaxNameBytes}, Case{10'000'000, kMaxNameBytes}}) {
    WriteBytes(HighScoresPath, "A" + std::string(length - 1, ' ') + "\r\n7\r\n");
    WriteBytes(OptionsPath, "1\r\n1\r\n1\r\n" + std::string(length, 'T') + "\r\n");
    ResetRecords();
    LoadHighScores();
    LoadOptions();
    EXPECT_EQ(HighScores[1].Name, "A" + std::string(kept - 1, ' ')) << length;
    EXPECT_EQ(GameOptions.AddText.size(), std::min(length, kMaxTextBytes)) << length;
  }
}

TEST_F(SaveFilesTest, FailedSaveIsToldOnceWithItsPath) {
  platform::ScopedNullPlatform scoped;
  auto& boxes = scoped.platform.MessageBoxes;
  LoadSaveFiles();
  std::ofstream("Data") << "not a folder";  // nothing can be written below it
  HighScores[11] = {"NEW", 5000};
  SortHighScores();
  EXPECT_FALSE(SaveTableNow("Your score"));
  ASSERT_EQ(boxes.size(), 1u);
  const std::string hsPath = (dir_ / "Data/Save/hs").string();
  EXPECT_EQ(boxes[0].second.find("Your score could not be saved to\n" + hsPath + "\n("), 0u) << boxes[0].second;
  EXPECT_NE(boxes[0].second.find("The options could not be saved to\n" + (dir_ / "Data/Save/options").string()),
            std::string::npos)
      << boxes[0].second;
  // The same unsaved content is not told again, at exit either.
  EXPECT_FALSE(SaveTableNow("Your score"));
  SaveOptionsNow();
  SaveSaveFiles();
  EXPECT_EQ(boxes.size(), 1u);
  // A new failure is.
  GameOptions.MusicOn = !GameOptions.MusicOn;
  EXPECT_FALSE(SaveOptionsNow());
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].second.find("The options could not be saved"), 0u) << boxes[1].second;
  SaveSaveFilesQuietly();  // on a signal nothing is shown
  EXPECT_EQ(boxes.size(), 2u);
  EXPECT_EQ(ReadBytes("Data"), "not a folder");
}

// A new table whose check string cannot be written with it would be thrown
// out at the next start: the old table goes back instead.
TEST_F(SaveFilesTest, TableGoesBackWhenItsCheckStringCannotBeWritten) {
  platform::ScopedNullPlatform scoped;
  LoadSaveFiles();
  SaveSaveFiles();
  const std::string hs = ReadBytes(HighScoresPath);
  fs::remove(OptionsPath);
  fs::create_directories(fs::path(OptionsPath) / "inside");
  HighScores[11] = {"NEW", 5000};
  SortHighScores();
  EXPECT_FALSE(SaveTableNow("Your score"));
  EXPECT_EQ(ReadBytes(HighScoresPath), hs);
  ASSERT_EQ(scoped.platform.MessageBoxes.size(), 1u);
  EXPECT_NE(scoped.platform.MessageBoxes[0].second.find("its check string could not be written"), std::string::npos);
}
