#include "services/Recording.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/Random.h"
#include "services/FormComponents.h"
#include "services/GameGlobals.h"
#include "services/Records.h"
#include "services/SaveFiles.h"

#ifndef FUSEWICK_VERSION
#define FUSEWICK_VERSION "0"
#endif

namespace fusewick {

TRecorderState RecorderState;

// ---- versions and the images' fingerprint

std::string GameVersionText() { return FUSEWICK_VERSION; }

uint64_t MixFingerprint(uint64_t h, std::string_view bytes) {
  for (char c : bytes) {
    h ^= uint8_t(c);
    h *= 1099511628211ull;
  }
  return h;
}

void SetImageFingerprint(uint64_t h) { RecorderState.ImageFingerprint = h; }

// ---- the recorder

void ResetRecorderState() { RecorderState = {}; }

namespace {
constexpr size_t kTickRoom = size_t(256) << 10;  // a long game's ticks, reserved when the first game starts
static_assert(kMaxTickChars <= kMaxRecordedEventsPerTick, "a tick's characters fit a recorded tick");

// Entries 1..10 of HighScores are the table (0 is unused, 11 takes a new result).
constexpr int TableSize = int(std::tuple_size_v<decltype(TRecordsState::HighScores)>) - 2;

int32_t LowestTableScore() {
  int32_t lowest = HighScores[1].Score;
  for (int i = 2; i <= TableSize; ++i) lowest = std::min(lowest, HighScores[i].Score);
  return lowest;
}

void FinishRecording(bool submitted, const std::string& name, int32_t score, int32_t level) {
  TRecorderState& st = RecorderState;
  st.Mode = TRecorderMode::Idle;
  st.LastBytes.clear();
  st.LastSavedPath.clear();
  if (st.Overflow) return;
  TRecording& r = st.Current;
  st.Writer.Finish();
  r.GameVersion = GameVersionText();
  r.LogicVersion = kLogicVersion;
  r.ImageFingerprint = st.ImageFingerprint;
  r.Ticks = st.Tick;
  r.TickStream = st.Writer.Stream();
  r.FinalScore = score;
  r.FinalLevel = level;
  r.Submitted = submitted;
  r.Name = submitted ? name : std::string();
  try {
    st.LastBytes = EncodeRecording(r);
  } catch (const ERecordingError& e) {
    std::fprintf(stderr, "Fusewick: %s\n", e.what());
    return;
  }
  if (!st.Folder.empty() && SavesAllowed())
    st.LastSavedPath = SaveRecording(st.Folder, st.LastBytes, score, st.EnteredTable);
  if (st.OnRecorded) st.OnRecorded(st.LastBytes, r);
}

void Diverged(std::string what) {
  if (RecorderState.Divergence.empty()) RecorderState.Divergence = std::move(what);
}
}  // namespace

void BeginGameRecording() {
  TRecorderState& st = RecorderState;
  if (st.Mode == TRecorderMode::Playing) {
    const TRecordingStart& s = st.Current.Start;
    RandSeed = s.Seed;
    FrameRate = s.FrameRate;
    ShellState.Input = s.Flags;
    PlayerName = s.PlayerName;
    st.Reader = TTickReader(st.Current.TickStream);
    st.Tick = 0;
    st.NextLevel = 0;
    st.PlaybackPaused = st.PlaybackEnded = false;
    st.Divergence.clear();
    st.ResultSubmitted = false;
    st.ResultName.clear();
    return;
  }
  st.Mode = TRecorderMode::Idle;
  if (!st.Enabled) return;
  TRecording& r = st.Current;
  r.Levels.clear();
  r.Levels.reserve(64);
  r.Start = {};
  r.Start.Seed = RandSeed;
  r.Start.Interval = MForm ? MForm->MDXTimer.Interval() : kTimerInterval;
  r.Start.FrameRate = FrameRate;
  r.Start.Flags = ShellState.Input;
  r.Start.QualifyAbove = LowestTableScore();
  r.Start.PlayerName = PlayerName;
  st.Writer.Reset(kTickRoom);
  st.Tick = 0;
  st.Overflow = false;
  st.EnteredTable = false;
  st.Mode = TRecorderMode::Recording;
}

void RecordStartLevel(int32_t level) {
  if (RecordingGame() && RecorderState.Tick == 0) RecorderState.Current.Start.StartLevel = level;
}

void RecordTick(const TTickInput& in) {
  TRecorderState& st = RecorderState;
  if (!RecordingGame() || st.Overflow) return;
  // The tick's events, in the byte pairs of the stream.
  std::array<char, 2 * (kMaxTickChars + 1)> events{};
  size_t n = 0;
  for (const char c : in.Typed()) {
    events[n++] = char(TRecordedEvent::Char);
    events[n++] = c;
  }
  if (in.CloseRequested) {
    events[n++] = char(TRecordedEvent::Close);
    events[n++] = 0;
  }
  TRecordedTick t;
  t.LagCount = in.LagCount;
  t.FrameRate = in.FrameRate;
  t.States = in.States.Bits();
  t.CtrlPressed = in.CtrlPressed;
  t.Events = std::string_view(events.data(), n);
  // A tick that a recording cannot hold (a stall of hours, a game of days)
  // ends the recording of this game; play goes on.
  const bool fits = in.LagCount >= 1 && in.LagCount <= kMaxRecordedLag && in.FrameRate >= kMinRecordedFrameRate &&
                    in.FrameRate <= kMaxRecordedFrameRate && st.Tick < kMaxRecordingTicks && st.Writer.Add(t);
  if (!fits) {
    st.Overflow = true;
    return;
  }
  ++st.Tick;
}

void NoteLevelEnd(int32_t level, int32_t score) {
  TRecorderState& st = RecorderState;
  const TLevelMark now{level, st.Tick, score};
  if (RecordingGame()) {
    st.Current.Levels.push_back(now);
  } else if (PlayingBack()) {
    const auto& marks = st.Current.Levels;
    if (st.NextLevel < marks.size() && marks[st.NextLevel] == now) {
      ++st.NextLevel;
      return;
    }
    std::string what = "level " + std::to_string(level) + " ended at tick " + std::to_string(st.Tick) + " with score " +
                       std::to_string(score);
    if (st.NextLevel < marks.size()) {
      const TLevelMark& m = marks[st.NextLevel];
      what += "; the recording has level " + std::to_string(m.Level) + " ending at tick " + std::to_string(m.Tick) +
              " with score " + std::to_string(m.Score);
    } else {
      what += "; in the recording no further level ends";
    }
    Diverged(what);
    ++st.NextLevel;
  }
}

void NoteScoreEnteredTable() {
  if (RecordingGame()) RecorderState.EnteredTable = true;
}

const std::string& NoteSubmission(const std::string& name, int32_t score, int32_t level) {
  static const std::string none;
  TRecorderState& st = RecorderState;
  if (RecordingGame()) {
    FinishRecording(true, name, score, level);
    return st.LastBytes;
  }
  if (PlayingBack()) {
    st.ResultSubmitted = true;
    st.ResultName = name;
  }
  return none;
}

void NoteGameEnded(int32_t score, int32_t level) {
  TRecorderState& st = RecorderState;
  if (RecordingGame()) {
    FinishRecording(false, std::string(), score, level);
  } else if (PlayingBack() && !st.PlaybackEnded) {
    st.PlaybackEnded = true;
    st.ResultScore = score;
    st.ResultLevel = level;
    st.ResultTicks = st.Tick;
  }
}

bool RecordedScoreQualifies(int32_t score) {
  if (PlayingBack()) return score > RecorderState.Current.Start.QualifyAbove;
  return ScoreQualifies(score);
}

void BeginPlayback(TRecording r) {
  if (r.LogicVersion != kLogicVersion)
    throw ERecordingError("the recording was made by logic version " + std::to_string(r.LogicVersion) + " (game " +
                          (r.GameVersion.empty() ? std::string("unknown") : r.GameVersion) +
                          "); this game plays logic version " + std::to_string(kLogicVersion) + " (game " +
                          GameVersionText() + ")");
  if (r.ImageFingerprint != RecorderState.ImageFingerprint)
    throw ERecordingError("the recording was played with other images (their names or sizes differ from those in " +
                          std::string("this game's Data/Res), though with the same logic version ") +
                          std::to_string(kLogicVersion) + ": this game cannot play it back");
  if (r.Start.Interval != (MForm ? MForm->MDXTimer.Interval() : kTimerInterval))
    throw ERecordingError("the recording was made with another timer interval");
  TRecorderState& st = RecorderState;
  st.Current = std::move(r);
  st.Mode = TRecorderMode::Playing;
  st.Tick = 0;
  st.PlaybackPaused = st.PlaybackEnded = false;
  st.Divergence.clear();
  st.ResultScore = st.ResultLevel = st.ResultTicks = 0;
  st.ResultSubmitted = false;
  st.ResultName.clear();
}

bool NextPlaybackTick(TTickInput& in) {
  TRecorderState& st = RecorderState;
  TRecordedTick t;
  if (!PlayingBack() || !st.Reader.Next(t)) return false;
  ++st.Tick;
  in = {};
  in.LagCount = t.LagCount;
  in.FrameRate = t.FrameRate;
  in.States = TDXInputStates::FromBits(t.States);
  in.CtrlPressed = t.CtrlPressed;
  // The reader took only known events.
  for (size_t i = 0; i + 1 < t.Events.size(); i += 2) {
    if (TRecordedEvent(t.Events[i]) == TRecordedEvent::Char)
      in.AddChar(t.Events[i + 1]);
    else
      in.CloseRequested = true;
  }
  return true;
}

void EndPlayback() {
  TRecorderState& st = RecorderState;
  if (!PlayingBack()) return;
  st.Mode = TRecorderMode::Idle;
  const TRecording& r = st.Current;
  if (!st.PlaybackEnded) {
    st.ResultScore = Score;
    st.ResultLevel = Level;
    st.ResultTicks = st.Tick;
    Diverged("the game was still on at tick " + std::to_string(st.Tick) + " (level " + std::to_string(Level) +
             ", score " + std::to_string(Score) + ") where the recording ends");
    return;
  }
  if (st.NextLevel < r.Levels.size()) {
    const TLevelMark& m = r.Levels[st.NextLevel];
    Diverged("the game ended at tick " + std::to_string(st.ResultTicks) + " with score " +
             std::to_string(st.ResultScore) + " before level " + std::to_string(m.Level) + " ended (at tick " +
             std::to_string(m.Tick) + " with score " + std::to_string(m.Score) + " in the recording)");
  }
  if (st.ResultScore != r.FinalScore || st.ResultTicks != r.Ticks || st.ResultLevel != r.FinalLevel)
    Diverged("the game ended at level " + std::to_string(st.ResultLevel) + ", tick " + std::to_string(st.ResultTicks) +
             " with score " + std::to_string(st.ResultScore) + "; the recording at level " +
             std::to_string(r.FinalLevel) + ", tick " + std::to_string(r.Ticks) + " with score " +
             std::to_string(r.FinalScore));
  if (st.ResultSubmitted != r.Submitted || st.ResultName != r.Name)
    Diverged("the submitted name differs from the recording's (level " + std::to_string(st.ResultLevel) + ", tick " +
             std::to_string(st.ResultTicks) + ")");
}

// ---- the folder

namespace {
struct TKeptFile {
  std::string Name;
  int32_t Score = 0;
  bool EnteredTable = false;
};

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "YYYYMMDD-HHMMSS-NN-SCORE[-hs].fwr": the names this game gives; any other
// file in the folder is left alone.
bool ParseKeptName(const std::string& name, TKeptFile& f) {
  std::string_view s = name;
  if (s.size() < 4 || s.substr(s.size() - 4) != ".fwr") return false;
  s.remove_suffix(4);
  f.EnteredTable = s.size() > 3 && s.substr(s.size() - 3) == "-hs";
  if (f.EnteredTable) s.remove_suffix(3);
  if (s.size() < 20 || !AllDigits(s.substr(0, 8)) || s[8] != '-' || !AllDigits(s.substr(9, 6)) || s[15] != '-' ||
      !AllDigits(s.substr(16, 2)) || s[18] != '-')
    return false;
  const std::string_view score = s.substr(19);
  auto [p, ec] = std::from_chars(score.data(), score.data() + score.size(), f.Score);
  if (ec != std::errc() || p != score.data() + score.size()) return false;
  f.Name = name;
  return true;
}
}  // namespace

std::string SaveRecording(const std::string& folder, const std::string& bytes, int32_t score, bool enteredTable) {
  namespace fs = std::filesystem;
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  gmtime_r(&now, &utc);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &utc);
  std::error_code ec;
  fs::create_directories(folder, ec);
  // A free number within the second: no earlier file starts with the prefix.
  std::string path;
  for (int n = 0; n < 100 && path.empty(); ++n) {
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, "%s-%02d-", stamp, n);
    bool taken = false;
    for (const auto& e : fs::directory_iterator(folder, ec))
      if (e.path().filename().string().rfind(prefix, 0) == 0) taken = true;
    if (!taken)
      path = (fs::path(folder) / (prefix + std::to_string(score) + (enteredTable ? "-hs" : "") + ".fwr")).string();
  }
  if (path.empty() || !SaveFileAtomically(path, bytes)) {
    std::fprintf(stderr, "Fusewick: the game's recording could not be saved in %s\n", folder.c_str());
    return {};
  }
  PruneRecordings(folder);
  return path;
}

void PruneRecordings(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code ec;
  std::vector<TKeptFile> files;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    TKeptFile f;
    std::error_code typeError;
    if (e.is_regular_file(typeError) && ParseKeptName(e.path().filename().string(), f)) files.push_back(f);
  }
  std::sort(files.begin(), files.end(), [](const TKeptFile& a, const TKeptFile& b) { return a.Name > b.Name; });
  // The table's scores, each kept by the newest recording with that score.
  std::map<int32_t, int> table;
  for (int i = 1; i <= TableSize; ++i) ++table[HighScores[i].Score];
  for (size_t i = 0; i < files.size(); ++i) {
    bool inTable = false;
    if (files[i].EnteredTable) {
      auto it = table.find(files[i].Score);
      if (it != table.end() && it->second > 0) {
        --it->second;
        inTable = true;
      }
    }
    if (i >= kKeptRecordings && !inTable) fs::remove(fs::path(folder) / files[i].Name, ec);
  }
}

}  // namespace fusewick
