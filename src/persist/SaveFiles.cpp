#include "persist/SaveFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <utility>
#include <vector>

#include "game/GameGlobals.h"
#include "persist/Records.h"

namespace fusewick {

namespace {

constexpr int TableSize = 10;  // entries 1..10 are saved; 11 never is
constexpr const char* LineEnd = "\r\n";

// The lines of a save file. A file that is missing or cannot be read has no
// lines; every line asked for past the end reads as empty. CR LF ends a line;
// a lone LF or CR is taken as a line end too, so a file that went through an
// editor that changed its line ends still reads.
class TSaveFileLines {
 public:
  explicit TSaveFileLines(const char* path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return;
    std::string line;
    for (size_t i = 0; i < data.size(); ++i) {
      char c = data[i];
      if (c == '\r' || c == '\n') {
        lines_.push_back(std::move(line));
        line.clear();
        if (c == '\r' && i + 1 < data.size() && data[i + 1] == '\n') ++i;
      } else {
        line += c;
      }
    }
    if (!line.empty()) lines_.push_back(std::move(line));
  }

  // Line n, counted from 1.
  const std::string& Line(size_t n) const {
    static const std::string empty;
    return n >= 1 && n <= lines_.size() ? lines_[n - 1] : empty;
  }

 private:
  std::vector<std::string> lines_;
};

bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= ' '; }

bool WriteAll(int fd, std::string_view content) {
  while (!content.empty()) {
    ssize_t n = ::write(fd, content.data(), content.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    content.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// Makes a finished rename survive a power loss: the folder's entry is on disk.
void SyncFolder(const std::filesystem::path& folder) {
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

uint8_t Mix(uint8_t a, uint8_t b) { return static_cast<uint8_t>((unsigned(a) + unsigned(b)) % 224 + 32); }

std::string HighScoreCheckString() {
  size_t longestName = 0;
  for (int i = 1; i <= TableSize; ++i) longestName = std::max(longestName, HighScores[i].Name.size());
  std::string acc(longestName, ' ');
  for (int i = 1; i <= TableSize; ++i) {
    const std::string& name = HighScores[i].Name;
    for (size_t p = 0; p < name.size(); ++p)
      acc[p] = static_cast<char>(Mix(static_cast<uint8_t>(acc[p]), static_cast<uint8_t>(name[p])));
    // A score text longer than the longest name (short names, or a table
    // that read as empty names) extends the string: each new position starts
    // as a space like the others, so every digit takes part. A table's check
    // string is therefore never empty (a score text has at least one digit),
    // and a lost options file, whose check string reads as empty, always
    // fails the check.
    const std::string score = std::to_string(HighScores[i].Score);
    for (size_t p = 0; p < score.size(); ++p) {
      if (p == acc.size()) acc.push_back(' ');
      acc[p] = static_cast<char>(Mix(static_cast<uint8_t>(acc[p]), static_cast<uint8_t>(score[p])));
    }
  }
  return acc;
}

bool HighScoresIntact() { return HighScoreCheck == HighScoreCheckString(); }

void ResetHighScores() {
  for (int i = 1; i <= TableSize; ++i) HighScores[i] = THighScore{"ANONYMOUS", 1100 - 100 * i};
}

bool ScoreQualifies() {
  for (int i = 1; i <= TableSize; ++i)
    if (HighScores[i].Score < Score) return true;
  return false;
}

void SortHighScores() {
  // Bubble sort on strict "below": equal scores never swap, so a new result
  // in entry 11 stays below the entries that have its score.
  for (int pass = 1; pass <= TableSize; ++pass)
    for (int j = 1; j <= TableSize + 1 - pass; ++j)
      if (HighScores[j].Score < HighScores[j + 1].Score) std::swap(HighScores[j], HighScores[j + 1]);
}

int32_t ParseSaveNumber(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && IsBlankOrControl(line[start])) ++start;
  size_t end = start;
  while (end < line.size() && !IsBlankOrControl(line[end])) ++end;
  std::string_view text = line.substr(start, end - start);
  // A text that is not a decimal integer (letters, a lone sign, digits
  // followed by other characters, a number beyond 32 bits) reads as 0: for
  // a flag that is "off", for a score it is 0.
  const bool plus = !text.empty() && text.front() == '+';
  if (plus) text.remove_prefix(1);
  if (text.empty() || (plus && text.front() == '-')) return 0;
  int32_t value = 0;
  auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value, 10);
  if (ec != std::errc() || ptr != text.data() + text.size()) return 0;
  return value;
}

void LoadHighScores() {
  TSaveFileLines file(HighScoresPath);
  for (int i = 1; i <= TableSize; ++i) {
    HighScores[i].Name = file.Line(2 * i - 1);
    HighScores[i].Score = ParseSaveNumber(file.Line(2 * i));
  }
}

void LoadOptions() {
  TSaveFileLines file(OptionsPath);
  GameOptions.FullScreen = ParseSaveNumber(file.Line(1)) != 0;
  GameOptions.MusicOn = ParseSaveNumber(file.Line(2)) != 0;
  GameOptions.SoundOn = ParseSaveNumber(file.Line(3)) != 0;
  GameOptions.AddText = file.Line(4);
  HighScoreCheck = file.Line(5);
}

bool SaveHighScores() {
  std::string content;
  for (int i = 1; i <= TableSize; ++i) {
    content += HighScores[i].Name;
    content += LineEnd;
    content += std::to_string(HighScores[i].Score);
    content += LineEnd;
  }
  return SaveFileAtomically(HighScoresPath, content);
}

bool SaveOptions() {
  std::string content;
  for (bool flag : {GameOptions.FullScreen, GameOptions.MusicOn, GameOptions.SoundOn}) {
    content += flag ? "1" : "0";
    content += LineEnd;
  }
  content += GameOptions.AddText;
  content += LineEnd;
  content += HighScoreCheckString();
  content += LineEnd;
  return SaveFileAtomically(OptionsPath, content);
}

void LoadSaveFiles() {
  LoadHighScores();
  LoadOptions();
  if (!HighScoresIntact()) ResetHighScores();
}

void SaveSaveFiles() {
  SaveOptions();
  SaveHighScores();
}

bool SaveFileAtomically(const std::string& path, std::string_view content) {
  namespace fs = std::filesystem;
  const fs::path target(path);
  const fs::path folder = target.parent_path();
  std::error_code ec;
  if (!folder.empty()) fs::create_directories(folder, ec);

  // The new content goes to a fresh file beside the old one (same folder, so
  // the rename below stays on one file system), named after the process so
  // that two running copies of the game never write into the same file.
  fs::path temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    std::string name(1, '.');
    name.append(target.filename().string()).append(1, '.');
    name.append(std::to_string(::getpid())).append(1, '.');
    name.append(std::to_string(attempt)).append(".tmp");
    temp = folder / name;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;

  // Written, flushed to the disk and closed before it replaces the old file:
  // until the rename the old file is untouched, and the rename itself swaps
  // the two in one step.
  bool ok = WriteAll(fd, content);
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(folder);
  return true;
}

}  // namespace fusewick
