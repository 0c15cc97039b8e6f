#include "Replay.h"

#include <png.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <thread>

#include "engine/Random.h"
#include "engine/Surface.h"
#include "form/MainForm.h"
#include "game/Level.h"
#include "game/Player.h"
#include "platform/NullPlatform.h"
#if !FUSEWICK_HEADLESS
#include "platform/SdlAudio.h"
#endif
#include "services/GameGlobals.h"
#include "services/Globals.h"
#include "services/Recording.h"
#include "services/SaveFiles.h"
#include "services/TestSeams.h"

namespace fusewick::replay {

uint64_t (*AllocationCount)() = nullptr;

namespace {
constexpr uint32_t kTickMs = 30;  // the fake clock's step per tick

struct TInput {
  const char* Name;
  int Key;
};
constexpr TInput kInputs[] = {
    {"Up", platform::VK_UP},
    {"Down", platform::VK_DOWN},
    {"Left", platform::VK_LEFT},
    {"Right", platform::VK_RIGHT},
    {"Fire", platform::VK_SPACE},
    {"Pause", 'P'},
    {"Escape", platform::VK_ESCAPE},
    {"Y", 'Y'},
    {"N", 'N'},
    {"Ctrl", platform::VK_CONTROL},
    {"Enter", platform::VK_RETURN},
};

int32_t ParseInt(const std::string& text, const std::string& what) {
  int32_t v = 0;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || p != end) throw TReplayError("bad " + what + ": '" + text + "'");
  return v;
}

// A whole number within [least, most], else an error that gives the range.
int32_t ParseInRange(const std::string& text, const std::string& what, int32_t least, int32_t most) {
  int64_t v = 0;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, v);
  if (ec == std::errc::result_out_of_range || (ec == std::errc() && p == end && (v < least || v > most)))
    throw TReplayError(what + " must be from " + std::to_string(least) + " to " + std::to_string(most) + ", not " +
                       text);
  if (ec != std::errc() || p != end) throw TReplayError("bad " + what + ": '" + text + "'");
  return int32_t(v);
}

double ParseDouble(const std::string& text, const std::string& what) {
  double v = 0;
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, v);
  if (ec != std::errc() || p != end) throw TReplayError("bad " + what + ": '" + text + "'");
  return v;
}
}  // namespace

int InputKey(const std::string& name) {
  for (const TInput& i : kInputs)
    if (name == i.Name) return i.Key;
  return 0;
}

std::vector<TInputChange> ParseScript(std::istream& in) {
  std::vector<TInputChange> script;
  std::string line;
  int lineNo = 0;
  size_t bytes = 0;
  // One line at a time, each bounded, so that a file without line ends
  // (a device, a stray binary) is refused instead of read whole.
  auto nextLine = [&]() -> bool {
    line.clear();
    for (int c; (c = in.get()) != std::char_traits<char>::eof();) {
      if (++bytes > kMaxScriptBytes)
        throw TReplayError("script larger than " + std::to_string(kMaxScriptBytes >> 20) + " MB");
      if (c == '\n') return true;
      if (line.size() >= kMaxScriptLine)
        throw TReplayError("script line " + std::to_string(lineNo + 1) + ": longer than " +
                           std::to_string(kMaxScriptLine) + " characters");
      line += char(c);
    }
    return !line.empty();
  };
  while (nextLine()) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    auto fail = [&](const std::string& why) {
      throw TReplayError("script line " + std::to_string(lineNo) + ": " + why);
    };
    std::istringstream words(line);
    std::string tickText, action;
    words >> tickText >> action;
    TInputChange c;
    try {
      c.Tick = ParseInt(tickText, "tick");
    } catch (const TReplayError& e) {
      fail(e.what());
    }
    if (c.Tick < 0) fail("negative tick");
    if (action == "type") {
      c.Action = TInputChange::Type;
      // The text is the rest of the line after one separating space.
      const size_t at = line.find("type", line.find(tickText) + tickText.size());
      c.Name = at + 4 < line.size() ? line.substr(at + 5) : std::string();
      if (c.Name.empty()) fail("nothing to type");
    } else if (action.size() > 1 && (action[0] == '+' || action[0] == '-')) {
      c.Action = action[0] == '+' ? TInputChange::Press : TInputChange::Release;
      c.Name = action.substr(1);
      if (!InputKey(c.Name)) fail("unknown input '" + c.Name + "'");
      std::string extra;
      if (words >> extra) fail("unexpected '" + extra + "'");
    } else {
      fail("expected +INPUT, -INPUT or type TEXT");
    }
    script.push_back(c);
  }
  if (in.bad()) throw TReplayError("script cannot be read");
  std::stable_sort(script.begin(), script.end(),
                   [](const TInputChange& a, const TInputChange& b) { return a.Tick < b.Tick; });
  return script;
}

TOptions ParseArguments(const std::vector<std::string>& args) {
  TOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw TReplayError(a + " needs a value");
      return args[++i];
    };
    if (a == "--seed") {
      const std::string& v = value();
      uint32_t seed = 0;
      auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), seed);
      if (ec != std::errc() || p != v.data() + v.size()) throw TReplayError("bad seed: '" + v + "'");
      o.Seed = seed;
    } else if (a == "--start") {
      const std::string& v = value();
      o.StartGame = v == "game";
      if (v == "options")
        o.StartButton = TMainMenuButton::Options;
      else if (v == "highscores")
        o.StartButton = TMainMenuButton::HighScores;
      else if (v == "help")
        o.StartButton = TMainMenuButton::Help;
      if (!o.StartGame && !o.StartButton && v != "menu")
        throw TReplayError("--start takes game, menu, options, highscores or help, not '" + v + "'");
    } else if (a == "--level") {
      o.Level = ParseInRange(value(), "--level", 1, kMaxLevel);
    } else if (a == "--ticks") {
      o.Ticks = ParseInRange(value(), "--ticks", 0, kMaxTicks);
    } else if (a == "--script") {
      const std::string& path = value();
      std::error_code ec;
      if (std::filesystem::is_directory(path, ec))
        throw TReplayError("cannot read script " + path + ": it is a folder");
      std::ifstream in(path, std::ios::binary);
      if (!in) throw TReplayError("cannot read script " + path);
      try {
        o.Script = ParseScript(in);
      } catch (const TReplayError& e) {
        throw TReplayError(path + ": " + e.what());
      }
    } else if (a == "--frame-rate") {
      o.FrameRate = ParseDouble(value(), "frame rate");
      if (!(o.FrameRate >= kMinFrameRate && o.FrameRate <= kMaxFrameRate))
        throw TReplayError("--frame-rate must be from " + std::to_string(int(kMinFrameRate)) + " to " +
                           std::to_string(int(kMaxFrameRate)));
    } else if (a == "--trace") {
      o.TracePath = value();
    } else if (a == "--shot") {
      const std::string& v = value();
      const size_t colon = v.find(':');
      if (colon == std::string::npos || colon + 1 >= v.size()) throw TReplayError("--shot takes TICK:FILE.png");
      o.Shots.emplace_back(ParseInRange(v.substr(0, colon), "--shot tick", 1, kMaxTicks), v.substr(colon + 1));
    } else if (a == "--timedemo") {
      o.Timedemo = true;
    } else if (a == "--random-input") {
      const std::string& v = value();
      uint32_t seed = 0;
      auto [p, ec] = std::from_chars(v.data(), v.data() + v.size(), seed);
      if (ec != std::errc() || p != v.data() + v.size()) throw TReplayError("bad random input seed: '" + v + "'");
      o.RandomInput = seed;
    } else if (a == "--armed") {
      o.Armed = true;
    } else if (a == "--audio") {
      o.Audio = true;
    } else if (a == "--data") {
      o.DataDir = value();
    } else if (a == "--replay") {
      o.ReplayPath = value();
    } else if (a == "--max-ticks") {
      o.MaxTicks = ParseInRange(value(), "--max-ticks", 1, kMaxTicks);
    } else if (a == "--record") {
      o.RecordPath = value();
    } else {
      throw TReplayError("unknown argument '" + a + "'");
    }
  }
  if (o.Level > 1 && !o.StartGame) throw TReplayError("--level needs --start game");
  if (!o.ReplayPath.empty()) {
    // The recording says what is played.
    if (o.StartGame || o.StartButton || o.Ticks || !o.Script.empty() || o.Seed || o.RandomInput || o.Armed ||
        o.FrameRate > 0 || !o.RecordPath.empty())
      throw TReplayError(
          "--replay goes only with --data, --max-ticks, --trace, --shot and --timedemo (the recording gives the rest)");
    for (const auto& [tick, file] : o.Shots)
      if (tick > kMaxTicks) throw TReplayError("--shot tick out of range");
    return o;
  }
  if (o.MaxTicks) throw TReplayError("--max-ticks goes with --replay");
  if (!o.RecordPath.empty() && o.Armed) throw TReplayError("--armed play cannot be recorded (the gun is not an input)");
  for (const auto& [tick, file] : o.Shots)
    if (tick > o.Ticks)
      throw TReplayError("--shot at tick " + std::to_string(tick) + " comes after the last tick (" +
                         std::to_string(o.Ticks) + ")");
  return o;
}

namespace {
// Exact and locale-free: the shortest text that reads back as the same value.
void Append(std::string& s, double v) {
  char buf[32];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  s.append(buf, p);
}
void Append(std::string& s, int64_t v) {
  char buf[24];
  auto [p, ec] = std::to_chars(buf, buf + sizeof buf, v);
  s.append(buf, p);
}
void Field(std::string& s, const char* name) {
  if (s.size() > 1) s += ',';
  s += '"';
  s += name;
  s += "\":";
}
}  // namespace

std::string TraceLine(int32_t tick) {
  std::string s = "{";
  auto num = [&](const char* name, int64_t v) {
    Field(s, name);
    Append(s, v);
  };
  num("tick", tick);
  num("GameScreen", int64_t(GameScreen));
  num("PlayState", int64_t(PlayState));
  num("Level", Level);
  num("Score", Score);
  num("Lives", Lives);
  num("FuseInterval", FuseInterval);
  num("CountBombsLeft", CountBombsLeft());
  num("Platforms", CountPlatforms());
  num("Clouds", CountClouds());
  num("Walls", CountWalls());
  num("LevelItems", CountLevelItems());
  num("Monsters", CountMonsters());
  num("Bullets", CountBullets());
  auto real = [&](const char* name, double v) {
    Field(s, name);
    Append(s, v);
  };
  if (Player) {
    real("X", Player->X);
    real("Y", Player->Y);
    real("VelX", Player->VelX);
    real("VelY", Player->VelY);
    num("State", int64_t(Player->State));
    num("Energy", Player->Energy);
    Field(s, "Airborne");
    s += Player->Airborne ? "true" : "false";
  } else {
    // No hero outside a game.
    for (const char* name : {"X", "Y", "VelX", "VelY", "State", "Energy", "Airborne"}) {
      Field(s, name);
      s += "null";
    }
  }
  num("ActiveBonus", int64_t(ActiveBonus));
  s += '}';
  return s;
}

void WritePng(const TDirectDrawSurface& surface, const std::string& path) {
  const int32_t w = surface.Width(), h = surface.Height();
  if (w <= 0 || h <= 0) throw TReplayError("no picture to write to " + path);
  std::vector<uint8_t> rgb(size_t(w) * size_t(h) * 3);
  const uint16_t* px = surface.Pixels();
  for (size_t i = 0; i < size_t(w) * size_t(h); ++i) {
    const uint32_t p = px[i], r = p >> 11, g = (p >> 5) & 0x3F, b = p & 0x1F;
    rgb[i * 3] = uint8_t((r << 3) | (r >> 2));
    rgb[i * 3 + 1] = uint8_t((g << 2) | (g >> 4));
    rgb[i * 3 + 2] = uint8_t((b << 3) | (b >> 2));
  }
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = png_uint_32(w);
  image.height = png_uint_32(h);
  image.format = PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), w * 3, nullptr)) {
    const std::string why = image.message;
    png_image_free(&image);
    throw TReplayError("cannot write " + path + ": " + why);
  }
}

void PrintTimedemo(const TTimedemo& t, std::ostream& out) {
  out << "ticks: " << t.Ticks << '\n'
      << "ticks per second: " << t.TicksPerSecond << '\n'
      << "median tick us: " << t.MedianUs << '\n'
      << "99th percentile tick us: " << t.P99Us << '\n'
      << "worst tick us: " << t.WorstUs << '\n';
  if (t.AllocationsCounted)
    out << "steady-state ticks: " << t.SteadyTicks << '\n'
        << "steady-state ticks that allocated: " << t.AllocatingTicks << '\n'
        << "steady-state allocations: " << t.Allocations << '\n'
        << "steady-state play ticks: " << t.PlayTicks << '\n'
        << "steady-state play ticks that allocated: " << t.AllocatingPlayTicks << '\n';
}

void PrintFigures(const TRunFigures& f, std::ostream& out) {
  out << "ticks: " << f.Ticks << '\n'
      << "games started: " << f.GamesStarted << '\n'
      << "highest level: " << f.HighestLevel << '\n'
      << "most live sprites: " << f.MaxLiveSprites << '\n'
      << "longest kill list: " << f.MaxKillList << '\n'
      << "seconds: " << f.Seconds << '\n';
}

// ---- the runner

struct TRunner::TImpl {
  TOptions Options;
  platform::NullPlatform Null;
  std::unique_ptr<platform::Audio> Audio;
  std::unique_ptr<TMForm> Form;
  std::filesystem::path OldDir;
  TRunFigures Figures;
  TReplayResult Result;
  int32_t RecordingsWritten = 0;
};

TRunner::TRunner(TOptions options) : impl_(new TImpl) { impl_->Options = std::move(options); }

TRunner::~TRunner() {
  RecorderState.OnRecorded = nullptr;
  impl_->Form.reset();
  if (impl_->Audio) {
    platform::SetCurrentAudio(nullptr);
    impl_->Audio.reset();
  }
  if (platform::HasCurrent() && &platform::Current() == &impl_->Null) platform::SetCurrent(nullptr);
  if (!impl_->OldDir.empty()) {
    std::error_code ec;
    std::filesystem::current_path(impl_->OldDir, ec);
  }
  delete impl_;
}

TMForm& TRunner::Form() { return *impl_->Form; }
const TRunFigures& TRunner::Figures() const { return impl_->Figures; }
const TReplayResult& TRunner::ReplayResult() const { return impl_->Result; }
int32_t TRunner::RecordingsWritten() const { return impl_->RecordingsWritten; }

std::string EscapeName(const std::string& name) {
  std::string out;
  for (char c : name) {
    const auto b = uint8_t(c);
    if (b < 0x20 || b > 0x7E || c == '\\') {
      static const char kHex[] = "0123456789abcdef";
      out += "\\x";
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += c;
    }
  }
  return out;
}

namespace {
void Deliver(TMForm& form, const platform::Event& e) { form.HandleEvent(e); }

void Apply(TMForm& form, platform::NullPlatform& null, const TInputChange& c) {
  using platform::EventType;
  platform::Event e;
  if (c.Action == TInputChange::Type) {
    for (char ch : c.Name) {
      e = {};
      e.Type = EventType::Char;
      e.Char = uint8_t(ch);
      Deliver(form, e);
    }
    return;
  }
  const int vk = InputKey(c.Name);
  const bool down = c.Action == TInputChange::Press;
  null.SetKey(vk, down);
  e.Type = down ? EventType::KeyDown : EventType::KeyUp;
  e.Key = vk;
  Deliver(form, e);
  // Enter and Escape also type their character, as the desktop reports them.
  if (down && (vk == platform::VK_RETURN || vk == platform::VK_ESCAPE)) {
    e = {};
    e.Type = EventType::Char;
    e.Char = uint8_t(vk);
    Deliver(form, e);
  }
}
// The first button of the main menu, as a click activates it; then the
// levels before the wanted one are played through at once.
void StartGameAt(TMForm& form, int32_t level) {
  MenuSelection = Button(TMainMenuButton::NewGame);
  form.MDXDrawClick();
  for (int32_t l = 2; l <= level; ++l) StartLevel(l);
  RecordStartLevel(level);
}

// A restless player: holds and lets go of the directions, jumps short and
// long, fires, pauses, sometimes quits, and goes through the screens after
// a game to start the next one. Never answers Y to the submit question (no
// network in a run).
class TRandomPlayer {
 public:
  TRandomPlayer(uint32_t seed, int32_t level) : rng_(seed), level_(level) {}

  // Returns true when it started a new game this tick.
  bool Act(TMForm& form, platform::NullPlatform& null) {
    auto press = [&](const char* name) { Send(form, null, name, true); };
    auto chance = [&](uint32_t n) { return rng_() % n == 0; };
    if (GameScreen != Game) ReleaseAll(form, null);
    if (wait_ > 0) {
      --wait_;
      return false;
    }
    switch (GameScreen) {
      case Game:
        switch (PlayState) {
          case Running:
            if (chance(12)) {
              const uint32_t d = rng_() % 4;  // 0 stand, 1 left, 2 right, 3 keep
              if (d < 3) {
                Set(form, null, "Left", d == 1);
                Set(form, null, "Right", d == 2);
              }
            }
            if (!held("Up") && chance(14)) {
              press("Up");
              upFor_ = chance(2) ? 1 : int32_t(2 + rng_() % 25);
            } else if (held("Up") && --upFor_ <= 0) {
              Set(form, null, "Up", false);
            }
            Set(form, null, "Fire", !held("Fire") && chance(8));
            if (chance(2500))
              Tap(form, null, "Pause");
            else if (chance(9000))
              Tap(form, null, "Escape");
            break;
          case Paused:
            ReleaseAll(form, null);
            if (chance(30)) Tap(form, null, "Pause");
            break;
          case QuitConfirm:
            ReleaseAll(form, null);
            if (chance(10)) Tap(form, null, chance(3) ? "Y" : "N");
            break;
          case NameEntry:
            ReleaseAll(form, null);
            if (typed_ < 6 && chance(3)) {
              static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ \b";
              TypeChar(form, null, kLetters[rng_() % (sizeof kLetters - 1)]);
              ++typed_;
            } else if (typed_ >= 6) {
              typed_ = 0;
              Tap(form, null, "Enter");
            }
            break;
          case SubmitPrompt:
            ReleaseAll(form, null);
            Tap(form, null, "N");
            break;
          default: ReleaseAll(form, null); break;  // the windows close by time
        }
        break;
      case HighScoreScreen:
        wait_ = 20;
        MenuSelection = Button(THighScoreButton::Back);
        Tap(form, null, "Enter");
        break;
      case MainMenu:
        wait_ = 10;
        StartGameAt(form, level_);
        return true;
      default:
        // Options or help: back to the main menu.
        MenuSelection = GameScreen == Options ? Button(TOptionsButton::Back) : Button(THelpButton::Back);
        Tap(form, null, "Enter");
        break;
    }
    return false;
  }

 private:
  static size_t Index(const char* name) {
    for (size_t i = 0; i < std::size(kInputs); ++i)
      if (std::string_view(kInputs[i].Name) == name) return i;
    return 0;
  }
  bool held(const char* name) const { return held_[Index(name)]; }
  void Send(TMForm& form, platform::NullPlatform& null, const char* name, bool down) {
    TInputChange c;
    c.Action = down ? TInputChange::Press : TInputChange::Release;
    c.Name = name;
    Apply(form, null, c);
    held_[Index(name)] = down;
  }
  void Set(TMForm& form, platform::NullPlatform& null, const char* name, bool down) {
    if (held(name) != down) Send(form, null, name, down);
  }
  // Pressed and let go within the tick: the key table still shows it
  // pressed at the tick, as a quick tap does.
  void Tap(TMForm& form, platform::NullPlatform& null, const char* name) {
    Send(form, null, name, true);
    taps_.push_back(Index(name));
  }
  void TypeChar(TMForm& form, platform::NullPlatform& null, char ch) {
    TInputChange c;
    c.Action = TInputChange::Type;
    c.Name.assign(1, ch);
    Apply(form, null, c);
  }
  void ReleaseAll(TMForm& form, platform::NullPlatform& null) {
    for (size_t i = 0; i < std::size(kInputs); ++i)
      if (held_[i]) Send(form, null, kInputs[i].Name, false);
  }

 public:
  // Lets go of the taps of the last tick.
  void AfterTick(TMForm& form, platform::NullPlatform& null) {
    for (size_t i : taps_)
      if (held_[i]) Send(form, null, kInputs[i].Name, false);
    taps_.clear();
  }

 private:
  std::mt19937 rng_;
  int32_t level_;
  bool held_[std::size(kInputs)] = {};
  std::vector<size_t> taps_;
  int32_t upFor_ = 0, wait_ = 0, typed_ = 0;
};
}  // namespace

TTimedemo TRunner::Run() {
  TImpl& m = *impl_;
  TOptions& o = m.Options;
  // Output paths are taken from where the runner was started.
  if (!o.TracePath.empty()) o.TracePath = std::filesystem::absolute(o.TracePath).string();
  for (auto& shot : o.Shots) shot.second = std::filesystem::absolute(shot.second).string();
  if (!o.DataDir.empty()) {
    m.OldDir = std::filesystem::current_path();
    std::error_code ec;
    std::filesystem::current_path(o.DataDir, ec);
    if (ec) throw TReplayError("cannot use data folder " + o.DataDir + ": " + ec.message());
  }
  // A recording is read (and refused) before anything runs.
  std::optional<TRecording> recording;
  const bool replaying = !o.ReplayPath.empty();
  if (replaying) {
    try {
      recording = ReadRecordingFile(o.ReplayPath);
    } catch (const ERecordingError& e) {
      throw TReplayError(e.what());
    }
    if (o.MaxTicks && recording->Ticks > *o.MaxTicks)
      throw TReplayTooLong("the recording has " + std::to_string(recording->Ticks) + " ticks, more than --max-ticks " +
                           std::to_string(*o.MaxTicks));
    o.Ticks = recording->Ticks;
    for (const auto& [tick, file] : o.Shots)
      if (tick > o.Ticks)
        throw TReplayError("--shot at tick " + std::to_string(tick) + " comes after the recording's last tick (" +
                           std::to_string(o.Ticks) + ")");
  }
  std::ofstream trace;
  if (!o.TracePath.empty()) {
    trace.open(o.TracePath, std::ios::binary);
    if (!trace) throw TReplayError("cannot write trace " + o.TracePath);
  }

  platform::SetCurrent(&m.Null);
  if (o.Audio) {
#if FUSEWICK_HEADLESS
    throw TReplayError("--audio needs a build with SDL; this one is headless");
#else
    m.Audio = std::make_unique<platform::SdlAudio>();
    platform::SetCurrentAudio(m.Audio.get());
#endif
  }
  m.Null.OpenWindow(kFormCaption, kScreenWidth, kScreenHeight);
  m.Form = std::make_unique<TMForm>();
  TMForm& form = *m.Form;
  if (BeforeCreate) BeforeCreate(form);
  // The runner's games are recorded, but kept only where --record says.
  RecorderState.Folder.clear();
  if (!o.RecordPath.empty()) {
    const std::string path = std::filesystem::absolute(o.RecordPath).string();
    RecorderState.OnRecorded = [this, path](const std::string& bytes, const TRecording&) {
      if (impl_->RecordingsWritten > 0) return;
      if (!SaveFileAtomically(path, bytes)) throw TReplayError("cannot write recording " + path);
      ++impl_->RecordingsWritten;
    };
  }
  form.FormCreate();
  form.MDXDraw.WindowShown();
  if (o.Seed) Randomize(*o.Seed);
  if (replaying) {
    try {
      BeginPlayback(std::move(*recording));
    } catch (const ERecordingError& e) {
      throw TReplayError(o.ReplayPath + ": " + e.what());
    }
    // Without shots nobody sees the frames: their pixels are skipped.
    if (o.Shots.empty() && form.MDXDraw.Surface()) form.MDXDraw.Surface()->Blind = true;
    StartGameAt(form, RecorderState.Current.Start.StartLevel);
  }
  FrameRateHeld = o.FrameRate;
  TRunFigures& fig = m.Figures;
  fig = {};
  if (o.StartGame) {
    StartGameAt(form, o.Level);
    ++fig.GamesStarted;
  } else if (o.StartButton) {
    MenuSelection = Button(*o.StartButton);
    form.MDXDrawClick();
  }
  std::optional<TRandomPlayer> randomPlayer;
  if (o.RandomInput) randomPlayer.emplace(*o.RandomInput, o.Level);

  TTimedemo demo;
  std::vector<double> times;
  std::vector<uint64_t> allocs;
  std::vector<bool> playing;  // the tick began and ended in running play
  if (o.Timedemo) {
    times.reserve(size_t(o.Ticks));
    allocs.reserve(size_t(o.Ticks));
    playing.reserve(size_t(o.Ticks));
  }
  size_t next = 0;
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  int32_t tick = 1;
  for (; tick <= o.Ticks && !m.Null.ExitRequested() && !(replaying && !PlayingBack()); ++tick) {
    if (o.Audio) std::this_thread::sleep_until(start + std::chrono::milliseconds(int64_t(kTickMs) * tick));
    while (next < o.Script.size() && o.Script[next].Tick <= tick) Apply(form, m.Null, o.Script[next++]);
    if (randomPlayer && randomPlayer->Act(form, m.Null)) ++fig.GamesStarted;
    if (o.Armed && GameScreen == Game && PlayState == Running && Player && ActiveBonus != GunBonus &&
        (Player->State == Spawning || Player->State == Playing))
      Player->TakeBonus(GunBonus);
    if (o.Timedemo) {
      const bool playBefore = GameScreen == Game && PlayState == Running;
      const uint64_t a0 = AllocationCount ? AllocationCount() : 0;
      const Clock::time_point t0 = Clock::now();
      m.Null.Advance(kTickMs);
      form.MDXTimer.Idle();
      const Clock::time_point t1 = Clock::now();
      const uint64_t a1 = AllocationCount ? AllocationCount() : 0;
      times.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
      allocs.push_back(a1 - a0);
      playing.push_back(playBefore && GameScreen == Game && PlayState == Running);
    } else {
      m.Null.Advance(kTickMs);
      form.MDXTimer.Idle();
    }
    if (trace.is_open()) trace << TraceLine(tick) << '\n';
    for (const auto& [at, file] : o.Shots)
      if (at == tick) WritePng(*form.MDXDraw.Surface(), file);
    if (randomPlayer) randomPlayer->AfterTick(form, m.Null);
    if (TSpriteEngine* engine = form.MDXSpriteEngine.Engine()) {
      fig.MaxLiveSprites = std::max(fig.MaxLiveSprites, engine->SpriteCount());
      fig.MaxKillList = std::max(fig.MaxKillList, int32_t(engine->KillList().size()));
    }
    if (GameScreen == Game) fig.HighestLevel = std::max(fig.HighestLevel, Level);
    if (AfterTick) AfterTick(tick);
  }
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  if (replaying) {
    EndPlayback();
    const TRecorderState& st = RecorderState;
    m.Result.Score = st.ResultScore;
    m.Result.Level = st.ResultLevel;
    m.Result.Ticks = st.ResultTicks;
    m.Result.Name = st.ResultSubmitted ? st.ResultName : std::string();
    m.Result.Divergence = st.Divergence;
  }
  fig.Ticks = tick - 1;
  fig.Seconds = total;
  if (trace.is_open()) {
    trace.flush();
    if (!trace) throw TReplayError("cannot write trace " + o.TracePath);
  }

  if (o.Timedemo && !times.empty()) {
    demo.Ticks = int32_t(times.size());
    double busy = 0;
    for (double t : times) busy += t;
    demo.TicksPerSecond = busy > 0 ? double(times.size()) / (busy / 1e6) : 0;
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    demo.MedianUs = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
    demo.P99Us = sorted[std::min(n - 1, size_t(std::ceil(0.99 * double(n))) - 1)];
    demo.WorstUs = sorted.back();
    demo.AllocationsCounted = AllocationCount != nullptr;
    for (size_t i = n / 2; i < n; ++i) {
      ++demo.SteadyTicks;
      if (allocs[i]) ++demo.AllocatingTicks;
      demo.Allocations += allocs[i];
      if (playing[i]) {
        ++demo.PlayTicks;
        if (allocs[i]) ++demo.AllocatingPlayTicks;
      }
    }
  }
  return demo;
}

}  // namespace fusewick::replay
