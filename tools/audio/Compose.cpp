#include "Compose.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace fusewick::audio {

namespace {

int Mod12(int v) { return ((v % 12) + 12) % 12; }

// "C", "F#", "Bb" at the front of `s`; returns the pitch class and the
// characters used.
std::pair<int, size_t> ParseNoteName(const std::string& s) {
  static const int kBase[7] = {9, 11, 0, 2, 4, 5, 7};  // a..g
  if (s.empty()) throw EXmError("Empty note name");
  char c = char(std::tolower(static_cast<unsigned char>(s[0])));
  if (c < 'a' || c > 'g') throw EXmError("Bad note name '" + s + "'");
  int pc = kBase[c - 'a'];
  size_t used = 1;
  if (s.size() > 1 && s[1] == '#')
    pc += 1, used = 2;
  else if (s.size() > 1 && s[1] == 'b')
    pc -= 1, used = 2;
  return {Mod12(pc), used};
}

struct Token {
  std::string head;
  int length = -1;  // -1: keep the last one
  int volume = -1;  // -1: the line's volume
};

Token ParseToken(const std::string& text) {
  Token t;
  size_t colon = text.find(':'), bang = text.find('!');
  t.head = text.substr(0, std::min(colon, bang));
  auto number = [&](size_t at) {
    size_t end = at + 1;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
    if (end == at + 1) throw EXmError("Missing number in token '" + text + "'");
    return std::atoi(text.substr(at + 1, end - at - 1).c_str());
  };
  if (colon != std::string::npos) t.length = number(colon);
  if (bang != std::string::npos) t.volume = number(bang);
  if (t.head.empty() || t.length == 0) throw EXmError("Bad token '" + text + "'");
  return t;
}

std::vector<std::string> Split(const std::string& text) {
  std::istringstream in(text);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

// Walks a token line, calling `emit(row, token)` for every token that is
// not a bar line; checks bar lines and returns the rows covered.
template <typename Emit>
int WalkTokens(const std::string& text, int rowsPerBar, Emit emit) {
  int row = 0, length = 4;
  for (const std::string& word : Split(text)) {
    if (word == "|") {
      if (row % rowsPerBar != 0) throw EXmError(Format("Bar line at row %d of a line is not on a bar", (long long)row));
      continue;
    }
    Token t = ParseToken(word);
    if (t.length > 0) length = t.length;
    emit(row, t);
    row += length;
  }
  return row;
}

}  // namespace

Chord ParseChord(const std::string& name) {
  static const std::vector<std::pair<std::string, std::vector<int>>> kQualities = {
      {"maj7", {0, 4, 7, 11}}, {"m7b5", {0, 3, 6, 10}}, {"7sus4", {0, 5, 7, 10}}, {"madd9", {0, 3, 7, 14}},
      {"add9", {0, 4, 7, 14}}, {"sus4", {0, 5, 7}},     {"sus2", {0, 2, 7}},      {"dim", {0, 3, 6}},
      {"m7", {0, 3, 7, 10}},   {"m6", {0, 3, 7, 9}},    {"m", {0, 3, 7}},         {"7", {0, 4, 7, 10}},
      {"6", {0, 4, 7, 9}},     {"", {0, 4, 7}}};
  std::string body = name, slash;
  if (size_t at = name.find('/'); at != std::string::npos) body = name.substr(0, at), slash = name.substr(at + 1);
  auto [root, used] = ParseNoteName(body);
  std::string quality = body.substr(used);
  Chord chord;
  chord.root = root;
  for (auto& [q, iv] : kQualities)
    if (q == quality) chord.intervals = iv;
  if (chord.intervals.empty()) throw EXmError("Unknown chord '" + name + "'");
  chord.bass = root;
  if (!slash.empty()) {
    auto [bass, n] = ParseNoteName(slash);
    if (n != slash.size()) throw EXmError("Unknown chord '" + name + "'");
    chord.bass = bass;
  }
  return chord;
}

Progression ParseProgression(const std::string& text) {
  Progression prog(1);
  for (const std::string& word : Split(text)) {
    if (word == "|") {
      prog.emplace_back();
      continue;
    }
    prog.back().push_back(ParseChord(word));
  }
  for (auto& bar : prog)
    if (bar.empty()) throw EXmError("Empty bar in progression '" + text + "'");
  return prog;
}

int ParsePitch(const std::string& text) {
  size_t used = ParseNoteName(text).second;
  if (used + 1 != text.size() || !std::isdigit(static_cast<unsigned char>(text[used])))
    throw EXmError("Bad pitch '" + text + "'");
  // Flats and sharps stay in the written octave: "cb4" is B3, "b#3" is C4.
  int letter = ParseNoteName(text.substr(0, 1)).first;
  int shift = used == 2 ? (text[1] == '#' ? 1 : -1) : 0;
  return (text[used] - '0' + 1) * 12 + letter + shift;
}

int ScaleStep(int midi, int steps, int tonic, bool minor) {
  static const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
  static const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
  const int* scale = minor ? kMinor : kMajor;
  auto inScale = [&](int n) {
    int rel = Mod12(n - tonic);
    return std::find(scale, scale + 7, rel) != scale + 7;
  };
  int n = midi;
  while (!inScale(n)) --n;
  int dir = steps < 0 ? -1 : 1;
  for (int i = 0; i < std::abs(steps); ++i) {
    n += dir;
    while (!inScale(n)) n += dir;
  }
  return n;
}

uint8_t XmNote(int midi) {
  int n = midi - 11;
  if (n < 1 || n > 96) throw EXmError(Format("Note %d outside the tracker's range", (long long)midi));
  return uint8_t(n);
}

Score::Score(int channels, int bars, int rowsPerBar)
    : channels_(channels),
      rowsPerBar_(rowsPerBar),
      rows_(bars * rowsPerBar),
      cells_(size_t(rows_) * size_t(channels)) {}

XmCell& Score::At(int row, int channel) {
  if (row < 0 || row >= rows_ || channel < 0 || channel >= channels_)
    throw EXmError(Format("Cell at row %d outside the song", (long long)row));
  return cells_[size_t(row) * size_t(channels_) + size_t(channel)];
}

void Score::Note(int channel, int row, int midi, int instrument, int volume) {
  XmCell& c = At(row, channel);
  c.note = XmNote(midi);
  c.instrument = uint8_t(instrument);
  c.volume = uint8_t(0x10 + std::clamp(volume, 0, 64));
}

void Score::Off(int channel, int row) {
  XmCell& c = At(row, channel);
  c = XmCell{};
  c.note = kXmKeyOff;
}

void Score::Effect(int channel, int row, uint8_t effect, uint8_t param) {
  XmCell& c = At(row, channel);
  c.effect = effect;
  c.param = param;
}

int Score::Phrase(int channel, int startBar, const std::string& text, int instrument, int volume, const NoteMap& map,
                  int delay) {
  int base = startBar * rowsPerBar_ + delay;
  return WalkTokens(text, rowsPerBar_, [&](int row, const Token& t) {
    if (t.head == "-" || base + row >= rows_) return;
    if (t.head == "r") {
      Off(channel, base + row);
      return;
    }
    int midi = ParsePitch(t.head);
    if (map) midi = map(midi);
    Note(channel, base + row, midi, instrument, t.volume >= 0 ? t.volume : volume);
  });
}

void Score::Drums(int channel, int startBar, const std::string& grid, int instrument, int volume, const DrumKit& kit) {
  int row = startBar * rowsPerBar_, first = row;
  for (char c : grid) {
    if (c == ' ') continue;
    if (c == '|') {
      if ((row - first) % rowsPerBar_ != 0) throw EXmError("Drum bar line is not on a bar");
      continue;
    }
    if (c != '.') {
      auto it = kit.find(c);
      if (it == kit.end()) throw EXmError(std::string("Unknown drum symbol '") + c + "'");
      Note(channel, row, it->second.midi, instrument, int(std::lround(volume * it->second.scale)));
    }
    ++row;
  }
}

const Chord& Score::ChordAt(const Progression& prog, int startBar, int row) const {
  int rel = row - startBar * rowsPerBar_;
  const auto& bar = prog.at(size_t(rel / rowsPerBar_));
  int share = rowsPerBar_ / int(bar.size());
  return bar[size_t(std::min(int(bar.size()) - 1, (rel % rowsPerBar_) / share))];
}

void Score::Pad(const std::vector<int>& channels, int startBar, const Progression& prog, int instrument, int volume,
                int low, int high) {
  size_t voices = channels.size();
  std::vector<int> prev;
  int row = startBar * rowsPerBar_;
  for (const auto& bar : prog) {
    int share = rowsPerBar_ / int(bar.size());
    for (const Chord& chord : bar) {
      std::vector<int> candidates;
      for (int n = low; n <= high; ++n)
        for (int iv : chord.intervals)
          if (Mod12(n) == Mod12(chord.root + iv)) candidates.push_back(n);
      // Must-have tones: the third (or suspension) and, on four-note
      // chords, the seventh.
      std::vector<int> needed = {Mod12(chord.root + chord.intervals[1])};
      if (chord.intervals.size() > 3 && voices > 2) needed.push_back(Mod12(chord.root + chord.intervals[3]));
      std::vector<int> best;
      long bestCost = LONG_MAX;
      std::vector<int> pick(voices);
      std::function<void(size_t, size_t)> search = [&](size_t from, size_t depth) {
        if (depth == voices) {
          for (int need : needed)
            if (std::none_of(pick.begin(), pick.end(), [&](int n) { return Mod12(n) == need; })) return;
          long cost = 0;
          for (size_t i = 0; i < voices; ++i) {
            for (size_t j = 0; j < i; ++j) {
              if (Mod12(pick[i]) == Mod12(pick[j]) && chord.intervals.size() >= voices) cost += 50;
              if (pick[i] - pick[j] < 3) cost += 20;  // no clusters
            }
            cost += prev.empty() ? std::abs(pick[i] - (low + high) / 2) : 4 * std::abs(pick[i] - prev[i]);
          }
          if (cost < bestCost) bestCost = cost, best = pick;
          return;
        }
        for (size_t i = from; i < candidates.size(); ++i) {
          pick[depth] = candidates[i];
          search(i + 1, depth + 1);
        }
      };
      search(0, 0);
      if (best.empty()) throw EXmError("No pad voicing for a chord in the given range");
      for (size_t v = 0; v < voices; ++v)
        if (prev.empty() || prev[v] != best[v]) Note(channels[v], row, best[v], instrument, volume);
      prev = best;
      row += share;
    }
  }
  if (row < rows_)
    for (int ch : channels)
      if (At(row, ch).Empty()) Off(ch, row);
}

void Score::Bass(int channel, int startBar, const Progression& prog, const std::string& pattern, int instrument,
                 int volume, int low) {
  auto place = [&](int pc) {
    int n = low;
    while (Mod12(n) != pc) ++n;
    return n;
  };
  for (size_t b = 0; b < prog.size(); ++b) {
    int barRow = (startBar + int(b)) * rowsPerBar_;
    int rows = WalkTokens(pattern, rowsPerBar_, [&](int row, const Token& t) {
      if (t.head == "-") return;
      if (t.head == "r") {
        Off(channel, barRow + row);
        return;
      }
      const Chord& c = ChordAt(prog, startBar, barRow + row);
      int root = place(c.root);
      auto tone = [&](size_t i, int fallback) { return root + (i < c.intervals.size() ? c.intervals[i] : fallback); };
      int midi;
      if (t.head == "R")
        midi = root;
      else if (t.head == "3")
        midi = tone(1, 4);
      else if (t.head == "5")
        midi = tone(2, 7);
      else if (t.head == "7")
        midi = tone(3, 12);
      else if (t.head == "8")
        midi = root + 12;
      else if (t.head == "B")
        midi = place(c.bass);
      else if (t.head == "A") {
        const Chord& next = b + 1 < prog.size() ? prog[b + 1].front() : prog[b].front();
        midi = place(next.bass) - 1;
      } else
        throw EXmError("Bad bass token '" + t.head + "'");
      Note(channel, barRow + row, midi, instrument, t.volume >= 0 ? t.volume : volume);
    });
    if (rows != rowsPerBar_) throw EXmError("A bass pattern must fill exactly one bar");
  }
}

void Score::Arp(int channel, int startBar, const Progression& prog, const std::string& pattern, int instrument,
                int volume, int low) {
  for (size_t b = 0; b < prog.size(); ++b) {
    int barRow = (startBar + int(b)) * rowsPerBar_;
    int rows = WalkTokens(pattern, rowsPerBar_, [&](int row, const Token& t) {
      if (t.head == "-") return;
      if (t.head == "r") {
        Off(channel, barRow + row);
        return;
      }
      int index = std::atoi(t.head.c_str());
      const Chord& c = ChordAt(prog, startBar, barRow + row);
      int n = low - 1, found = -1;
      while (found < index) {
        ++n;
        for (int iv : c.intervals)
          if (Mod12(n) == Mod12(c.root + iv)) {
            ++found;
            break;
          }
      }
      Note(channel, barRow + row, n, instrument, t.volume >= 0 ? t.volume : volume);
    });
    if (rows != rowsPerBar_) throw EXmError("An arpeggio pattern must fill exactly one bar");
  }
}

std::vector<XmPattern> Score::Patterns(int barsPerPattern) const {
  int per = barsPerPattern * rowsPerBar_;
  std::vector<XmPattern> out;
  for (int start = 0; start < rows_; start += per) {
    XmPattern p;
    p.rows = std::min(per, rows_ - start);
    p.cells.assign(cells_.begin() + ptrdiff_t(start) * channels_,
                   cells_.begin() + ptrdiff_t(start + p.rows) * channels_);
    out.push_back(std::move(p));
  }
  return out;
}

}  // namespace fusewick::audio
