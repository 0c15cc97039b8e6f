#include "services/Recording.h"

#include <zlib.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine/Input.h"
#include "services/SaveFiles.h"

namespace fusewick {

namespace {

// Ticks tags: a run of ticks like the last one, or one tick with changes.
constexpr uint8_t kTagRun = 0x00;
constexpr uint8_t kTagTick = 0x20;
constexpr uint8_t kTickLag = 0x01, kTickFrameRate = 0x02, kTickStates = 0x04, kTickCtrl = 0x08, kTickEvents = 0x10;
constexpr uint32_t kMaxRun = uint32_t(kMaxRecordingTicks);
constexpr size_t kMaxLevelMarks = 100000;
constexpr int32_t kMaxUpHoldTime = 1 << 20;

[[noreturn]] void Damaged(const std::string& why) { throw ERecordingError("damaged recording: " + why); }

uint64_t Bits(double v) {
  uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// ---- writing

void PutVar(std::string& s, uint64_t v) {
  while (v >= 0x80) {
    s += char(uint8_t(v) | 0x80);
    v >>= 7;
  }
  s += char(uint8_t(v));
}
void PutZig(std::string& s, int32_t v) { PutVar(s, (uint32_t(v) << 1) ^ uint32_t(v >> 31)); }
void PutFixed(std::string& s, uint64_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s += char(uint8_t(v >> (8 * i)));
}
void PutText(std::string& s, std::string_view t) {
  PutVar(s, t.size());
  s.append(t);
}

// ---- reading: every read is checked against what is left

struct TIn {
  std::string_view s;
  size_t at = 0;

  size_t Left() const { return s.size() - at; }
  uint8_t Byte(const char* what) {
    if (at >= s.size()) Damaged(std::string("it ends inside ") + what);
    return uint8_t(s[at++]);
  }
  uint64_t Var(const char* what, uint64_t most) {
    uint64_t v = 0;
    for (int shift = 0;; shift += 7) {
      if (shift > 63) Damaged(std::string("bad number for ") + what);
      const uint8_t b = Byte(what);
      if (shift == 63 && (b & 0x7E)) Damaged(std::string("bad number for ") + what);
      v |= uint64_t(b & 0x7F) << shift;
      if (!(b & 0x80)) break;
    }
    if (v > most) Damaged(std::string(what) + " out of range (" + std::to_string(v) + ")");
    return v;
  }
  int32_t Int(const char* what) {
    const uint64_t z = Var(what, 0xFFFFFFFFull);
    return int32_t(uint32_t(z >> 1) ^ uint32_t(-int32_t(z & 1)));
  }
  uint64_t Fixed(int bytes, const char* what) {
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= uint64_t(Byte(what)) << (8 * i);
    return v;
  }
  double Real(const char* what) {
    const uint64_t b = Fixed(8, what);
    double v;
    std::memcpy(&v, &b, sizeof v);
    return v;
  }
  std::string_view Bytes(size_t n, const char* what) {
    if (n > Left()) Damaged(std::string("it ends inside ") + what);
    const std::string_view v = s.substr(at, n);
    at += n;
    return v;
  }
  std::string Text(const char* what, size_t most) {
    const size_t n = size_t(Var(what, most));
    return std::string(Bytes(n, what));
  }
};

void CheckFrameRate(double fr, const char* what) {
  if (!(fr >= kMinRecordedFrameRate && fr <= kMaxRecordedFrameRate)) Damaged(std::string(what) + " out of range");
}

void CheckTick(const TRecordedTick& t) {
  if (t.LagCount < 1 || t.LagCount > kMaxRecordedLag) Damaged("a tick's lag out of range");
  CheckFrameRate(t.FrameRate, "a tick's frame rate");
  if (t.States >> kInputStateCount) Damaged("a tick's input states out of range");
}

// The flags as one number: a bit per flag, in a fixed order.
uint64_t FlagBits(const TInputFlags& f) {
  const bool b[] = {f.UpHeld,        f.LeftHeld,    f.RightHeld,     f.FirePressed,   f.PausePressed,
                    f.EscapePressed, f.FireWasHeld, f.PauseWasHeld,  f.EscapeWasHeld, f.CtrlPressed,
                    f.CtrlDown,      f.UpWasHeld,   f.UpGestureArmed};
  uint64_t v = 0;
  for (size_t i = 0; i < std::size(b); ++i) v |= uint64_t(b[i]) << i;
  return v;
}
void SetFlagBits(TInputFlags& f, uint64_t v) {
  bool* b[] = {&f.UpHeld,        &f.LeftHeld,    &f.RightHeld,     &f.FirePressed,   &f.PausePressed,
               &f.EscapePressed, &f.FireWasHeld, &f.PauseWasHeld,  &f.EscapeWasHeld, &f.CtrlPressed,
               &f.CtrlDown,      &f.UpWasHeld,   &f.UpGestureArmed};
  for (size_t i = 0; i < std::size(b); ++i) *b[i] = (v >> i) & 1;
}
constexpr uint64_t kFlagCount = 13;

}  // namespace

bool TRecordedTick::SameAs(const TRecordedTick& o) const {
  return LagCount == o.LagCount && Bits(FrameRate) == Bits(o.FrameRate) && States == o.States &&
         CtrlPressed == o.CtrlPressed;
}

// ---- the ticks

void TTickWriter::Reset(size_t reserve) {
  out_.clear();
  if (out_.capacity() < reserve) out_.reserve(reserve);
  last_ = {};
  run_ = 0;
  ticks_ = 0;
}

void TTickWriter::FlushRun() {
  if (run_ == 0) return;
  out_ += char(kTagRun);
  PutVar(out_, run_);
  run_ = 0;
}

bool TTickWriter::Add(const TRecordedTick& t) {
  // The most one tick can add: a tag, the numbers, the events and a run.
  const size_t most = 1 + 5 + 8 + 10 + 5 + t.Events.size() + 6;
  if (out_.size() + most > kMaxRecordingBodyBytes - 1024 || t.Events.size() > 2 * kMaxRecordedEventsPerTick)
    return false;
  if (t.Events.empty() && ticks_ > 0 && t.SameAs(last_) && run_ < kMaxRun) {
    ++run_;
    ++ticks_;
    return true;
  }
  FlushRun();
  uint8_t tag = kTagTick;
  if (t.LagCount != last_.LagCount) tag |= kTickLag;
  if (Bits(t.FrameRate) != Bits(last_.FrameRate)) tag |= kTickFrameRate;
  if (t.States != last_.States) tag |= kTickStates;
  if (t.CtrlPressed) tag |= kTickCtrl;
  if (!t.Events.empty()) tag |= kTickEvents;
  out_ += char(tag);
  if (tag & kTickLag) PutVar(out_, uint32_t(t.LagCount));
  if (tag & kTickFrameRate) PutFixed(out_, Bits(t.FrameRate), 8);
  if (tag & kTickStates) PutVar(out_, t.States);
  if (tag & kTickEvents) {
    PutVar(out_, t.Events.size() / 2);
    out_.append(t.Events.data(), t.Events.size() / 2 * 2);
  }
  last_ = t;
  last_.Events = {};
  ++ticks_;
  return true;
}

void TTickWriter::Finish() { FlushRun(); }

bool TTickReader::Next(TRecordedTick& t) {
  if (run_ > 0) {
    --run_;
    t = last_;
    return true;
  }
  if (at_ >= in_.size()) return false;
  TIn in{in_, at_};
  const uint8_t tag = in.Byte("a tick");
  if (tag == kTagRun) {
    const uint64_t n = in.Var("a run of ticks", kMaxRun);
    if (n == 0) Damaged("an empty run of ticks");
    run_ = uint32_t(n - 1);
    t = last_;
  } else {
    if ((tag & 0xE0) != kTagTick) Damaged("unknown tick tag " + std::to_string(tag));
    TRecordedTick n = last_;
    if (tag & kTickLag) n.LagCount = int32_t(in.Var("a tick's lag", uint64_t(kMaxRecordedLag)));
    if (tag & kTickFrameRate) n.FrameRate = in.Real("a tick's frame rate");
    if (tag & kTickStates) n.States = in.Var("a tick's input states", ~uint64_t(0));
    n.CtrlPressed = tag & kTickCtrl;
    n.Events = {};
    if (tag & kTickEvents) {
      const uint64_t count = in.Var("a tick's event count", kMaxRecordedEventsPerTick);
      if (count == 0) Damaged("a tick with an empty event list");
      n.Events = in.Bytes(size_t(count) * 2, "a tick's events");
      for (size_t i = 0; i < n.Events.size(); i += 2) {
        const auto kind = TRecordedEvent(uint8_t(n.Events[i]));
        if (kind == TRecordedEvent::Char) continue;
        if (kind == TRecordedEvent::Close && n.Events[i + 1] == 0) continue;
        Damaged("unknown event");
      }
    }
    last_ = n;
    last_.Events = {};
    t = n;
  }
  at_ = in.at;
  CheckTick(t);
  return true;
}

// ---- the file

std::string EncodeRecording(const TRecording& r) {
  std::string body;
  body.reserve(r.TickStream.size() + 256);
  const TRecordingStart& s = r.Start;
  PutFixed(body, s.Seed, 4);
  PutVar(body, uint32_t(s.StartLevel));
  PutVar(body, uint32_t(s.Interval));
  PutFixed(body, Bits(s.FrameRate), 8);
  PutVar(body, FlagBits(s.Flags));
  PutVar(body, s.Flags.UpGesture);
  PutVar(body, uint32_t(s.Flags.UpHoldTime));
  PutZig(body, s.QualifyAbove);
  PutText(body, s.PlayerName);
  PutVar(body, uint32_t(r.Ticks));
  PutText(body, r.TickStream);
  PutVar(body, r.Levels.size());
  for (const TLevelMark& m : r.Levels) {
    PutVar(body, uint32_t(m.Level));
    PutVar(body, uint32_t(m.Tick));
    PutZig(body, m.Score);
  }
  PutZig(body, r.FinalScore);
  PutVar(body, uint32_t(r.FinalLevel));
  body += char(r.Submitted ? 1 : 0);
  PutText(body, r.Name);
  if (body.size() > kMaxRecordingBodyBytes) throw ERecordingError("the game is too long to be recorded");

  uLongf packedSize = compressBound(uLong(body.size()));
  std::string packed(packedSize, '\0');
  if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(body.data()),
                uLong(body.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw ERecordingError("the recording could not be compressed");
  packed.resize(packedSize);

  std::string out(kRecordingMagic);
  PutFixed(out, kRecordingFormatVersion, 2);
  const std::string version = r.GameVersion.substr(0, kMaxGameVersionBytes);
  out += char(uint8_t(version.size()));
  out += version;
  PutFixed(out, r.LogicVersion, 4);
  PutFixed(out, r.ImageFingerprint, 8);
  PutFixed(out, body.size(), 4);
  PutFixed(out, packed.size(), 4);
  out += packed;
  if (out.size() > kMaxRecordingBytes) throw ERecordingError("the game is too long to be recorded");
  return out;
}

TRecording DecodeRecording(std::string_view bytes) {
  if (bytes.size() > kMaxRecordingBytes)
    throw ERecordingError("not a recording: larger than " + std::to_string(kMaxRecordingBytes >> 20) + " MB");
  TRecordingHeader h;
  switch (ReadRecordingHeader(bytes, h)) {
    case THeaderRead::Read: break;
    case THeaderRead::NotOne: throw ERecordingError("not a recording (it does not start as one)");
    case THeaderRead::OldFormat:
      throw ERecordingError(
          h.Format < kRecordingFormatVersion
              ? "the recording is of format " + std::to_string(h.Format) +
                    ", made by an older game before recordings carried a logic version: this game reads format " +
                    std::to_string(kRecordingFormatVersion) + " only"
              : "the recording is of format " + std::to_string(h.Format) +
                    ", made by a newer game: this game reads format " + std::to_string(kRecordingFormatVersion));
    case THeaderRead::Short: Damaged("it ends inside the header");
    case THeaderRead::BadText: Damaged("game version is not text");
  }
  TRecording r;
  r.GameVersion = h.GameVersion;
  r.LogicVersion = h.LogicVersion;
  r.ImageFingerprint = h.ImageFingerprint;
  TIn head{bytes, h.Size};
  const uint64_t bodySize = h.BodyBytes;
  const uint64_t packedSize = h.PackedBytes;
  if (bodySize == 0 || bodySize > kMaxRecordingBodyBytes) Damaged("body size out of range");
  if (packedSize != head.Left()) Damaged("its length is not the one its header gives");
  // Deflate packs at most 1032 bytes into one: a larger body is a lie, and
  // is refused before its room is taken.
  if (bodySize > packedSize * 1032 + 1024) Damaged("its body is not the size its header gives");

  // Unpacked into exactly the declared size: more output is an error.
  std::string body(size_t(bodySize), '\0');
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw ERecordingError("the recording could not be unpacked (out of memory)");
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data() + head.at));
  z.avail_in = uInt(packedSize);
  z.next_out = reinterpret_cast<Bytef*>(body.data());
  z.avail_out = uInt(body.size());
  const int rc = inflate(&z, Z_FINISH);
  const uLong produced = z.total_out;
  const uInt leftIn = z.avail_in;
  inflateEnd(&z);
  if (rc == Z_DATA_ERROR || rc == Z_NEED_DICT) Damaged("its compressed data fail their check");
  if (rc != Z_STREAM_END || produced != bodySize) Damaged("its body is not the size its header gives");
  if (leftIn != 0) Damaged("bytes after its compressed data");

  TIn in{body, 0};
  TRecordingStart& s = r.Start;
  s.Seed = uint32_t(in.Fixed(4, "the start"));
  s.StartLevel = int32_t(in.Var("the start level", kMaxRecordedStartLevel));
  if (s.StartLevel < 1) Damaged("the start level out of range");
  s.Interval = int32_t(in.Var("the timer interval", 1000));
  s.FrameRate = in.Real("the start");
  CheckFrameRate(s.FrameRate, "the start frame rate");
  SetFlagBits(s.Flags, in.Var("the start flags", (uint64_t(1) << kFlagCount) - 1));
  s.Flags.UpGesture = uint8_t(in.Var("the start flags", 2));
  s.Flags.UpHoldTime = int32_t(in.Var("the start flags", kMaxUpHoldTime));
  s.QualifyAbove = in.Int("the table's lowest score");
  s.PlayerName = in.Text("the start name", kMaxNameBytes);
  r.Ticks = int32_t(in.Var("the tick count", kMaxRecordingTicks));
  r.TickStream = in.Text("the ticks", kMaxRecordingBodyBytes);
  const size_t marks = size_t(in.Var("the level count", kMaxLevelMarks));
  if (marks > size_t(r.Ticks) + 1) Damaged("more levels than ticks");
  r.Levels.reserve(marks);
  int32_t lastTick = 0;
  for (size_t i = 0; i < marks; ++i) {
    TLevelMark m;
    m.Level = int32_t(in.Var("a level", INT32_MAX));
    m.Tick = int32_t(in.Var("a level's tick", uint64_t(r.Ticks)));
    m.Score = in.Int("a level's score");
    if (m.Tick < lastTick) Damaged("levels out of order");
    lastTick = m.Tick;
    r.Levels.push_back(m);
  }
  r.FinalScore = in.Int("the final score");
  r.FinalLevel = int32_t(in.Var("the final level", INT32_MAX));
  const uint8_t submitted = in.Byte("the end");
  if (submitted > 1) Damaged("bad submission flag");
  r.Submitted = submitted == 1;
  r.Name = in.Text("the name", kMaxNameBytes);
  if (!r.Submitted && !r.Name.empty()) Damaged("a name without a submission");
  if (in.Left() != 0) Damaged("bytes after its end");

  // Every tick is read once here, so that playing it back meets no error.
  TTickReader ticks(r.TickStream);
  TRecordedTick t;
  int64_t count = 0;
  while (ticks.Next(t))
    if (++count > r.Ticks) break;
  if (count != r.Ticks) Damaged("its ticks are not as many as it says");
  return r;
}

TRecording ReadRecordingFile(const std::string& path) {
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (!std::filesystem::exists(status)) throw ERecordingError("cannot read recording " + path + ": no such file");
  if (!std::filesystem::is_regular_file(status))
    throw ERecordingError("cannot read recording " + path + ": it is not a plain file");
  std::ifstream in(path, std::ios::binary);
  if (!in) throw ERecordingError("cannot read recording " + path);
  std::string bytes(kMaxRecordingBytes + 1, '\0');
  in.read(bytes.data(), std::streamsize(bytes.size()));
  if (in.bad()) throw ERecordingError("cannot read recording " + path);
  bytes.resize(size_t(in.gcount()));
  try {
    return DecodeRecording(bytes);
  } catch (const ERecordingError& e) {
    throw ERecordingError(path + ": " + e.what());
  }
}

}  // namespace fusewick
