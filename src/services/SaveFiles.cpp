#include "services/SaveFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>
#include <utility>
#include <vector>

#include "platform/Platform.h"
#include "services/Records.h"

namespace fusewick {

namespace {

constexpr int TableSize = 10;  // entries 1..10 are saved; 11 never is
constexpr const char* LineEnd = "\r\n";
constexpr const char* MessageCaption = "Fusewick";

// A save file as reading found it: its bytes (at most the bound asked for)
// or why it could not be read.
struct TFileBytes {
  TSaveFileStatus Status = TSaveFileStatus::Missing;
  std::string Bytes;
  bool Cut = false;     // the file holds more than the bound
  std::string Problem;  // why an existing file could not be read
};

// Reads at most maxBytes of a save file. Only a plain file is read: a
// folder, a pipe or a device (a link to one included) is not, and opening
// never waits (a pipe without a writer would block an ordinary open).
TFileBytes ReadSaveFile(const char* path, size_t maxBytes) {
  TFileBytes r;
  const int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    // No file, or a part of its folder path that is no folder: nothing there.
    if (errno == ENOENT || errno == ENOTDIR) return r;
    r.Status = TSaveFileStatus::Unreadable;
    r.Problem = std::strerror(errno);
    return r;
  }
  r.Status = TSaveFileStatus::Unreadable;
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    r.Problem = std::strerror(errno);
  } else if (S_ISDIR(st.st_mode)) {
    r.Problem = "it is a folder";
  } else if (!S_ISREG(st.st_mode)) {
    r.Problem = "it is not a plain file";
  } else {
    // One byte past the bound tells a file that holds more.
    r.Bytes.resize(maxBytes + 1);
    size_t got = 0;
    for (;;) {
      const ssize_t n = ::read(fd, r.Bytes.data() + got, r.Bytes.size() - got);
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) {
        r.Problem = std::strerror(errno);
        break;
      }
      got += size_t(n);
      if (n == 0 || got == r.Bytes.size()) {
        r.Status = TSaveFileStatus::Read;
        break;
      }
    }
    r.Cut = got > maxBytes;
    r.Bytes.resize(std::min(got, maxBytes));
    if (r.Status != TSaveFileStatus::Read) r.Bytes.clear();
  }
  ::close(fd);
  return r;
}

// The lines of a save file's bytes; every line asked for past the end reads
// as empty. CR LF ends a line; a lone LF or CR is taken as a line end too,
// so a file that went through an editor that changed its line ends still
// reads.
class TSaveFileLines {
 public:
  explicit TSaveFileLines(const std::string& data) {
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

// SaveFileAtomically, with the reason of a failure: 0, or the errno value.
int WriteFileAtomically(const std::string& path, std::string_view content) {
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
    if (fd < 0 && errno != EEXIST) return errno;
  }
  if (fd < 0) return EEXIST;

  // Written, flushed to the disk and closed before it replaces the old file:
  // until the rename the old file is untouched, and the rename itself swaps
  // the two in one step.
  int error = 0;
  if (!WriteAll(fd, content) || ::fsync(fd) != 0) error = errno;
  if (::close(fd) != 0 && error == 0) error = errno;
  if (error == 0 && ::rename(temp.c_str(), target.c_str()) != 0) error = errno;
  if (error != 0) {
    ::unlink(temp.c_str());
    return error;
  }
  SyncFolder(folder);
  return 0;
}

std::string HighScoresContent() {
  std::string content;
  for (int i = 1; i <= TableSize; ++i) {
    content += HighScores[i].Name;
    content += LineEnd;
    content += std::to_string(HighScores[i].Score);
    content += LineEnd;
  }
  return content;
}

std::string OptionsContent(const std::string& check) {
  std::string content;
  for (bool flag : {GameOptions.FullScreen, GameOptions.MusicOn, GameOptions.SoundOn}) {
    content += flag ? "1" : "0";
    content += LineEnd;
  }
  content += GameOptions.AddText;
  content += LineEnd;
  content += check;
  content += LineEnd;
  return content;
}

// What the program knows of one save file.
struct TFileState {
  TSaveFileStatus Status = TSaveFileStatus::NotRead;
  std::string Problem;                  // why it could not be read
  std::optional<std::string> OnDisk;    // the file's whole content, when known
  std::optional<std::string> Reported;  // content whose failed save was told
};

struct TSaveState {
  bool Allowed = false;
  TFileState Table, Options;
  // The check string that pairs with the hs file on disk: the one read at
  // start-up until the table is written.
  std::string TableCheckOnDisk;
};
TSaveState State;

std::string ShownPath(const char* path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec);
  return ec ? std::string(path) : full.lexically_normal().string();
}

// Writes a file unless it already holds the content; on failure the reason.
bool SyncFile(TFileState& file, const char* path, const std::string& content, std::string& why) {
  if (file.OnDisk == content) return true;
  if (const int error = WriteFileAtomically(path, content)) {
    why = std::strerror(error);
    return false;
  }
  file.OnDisk = content;
  file.Reported.reset();
  return true;
}

bool TableMayBeSaved() {
  return State.Allowed && State.Table.Status != TSaveFileStatus::Unreadable &&
         State.Options.Status != TSaveFileStatus::Unreadable;
}
bool OptionsMayBeSaved() { return State.Allowed && State.Options.Status != TSaveFileStatus::Unreadable; }

// Saves what may be saved: the table (when asked), then the options (when
// asked, or when the table on disk changed: its check string lives there).
// Returns false when a write failed; the message for the player is added
// to said.
bool SaveNow(bool table, bool options, std::string_view what, bool atExit, std::string& said) {
  bool ok = true;
  // Message boxes do not wrap lines: the texts carry their own breaks.
  const std::string retry = atExit ? "" : "\nThe game tries again when it ends.";
  std::string why;
  const std::optional<std::string> oldTable = State.Table.OnDisk;
  const std::string oldCheck = State.TableCheckOnDisk;
  bool tableChanged = false;
  std::string tableContent;
  if (table && TableMayBeSaved()) {
    tableContent = HighScoresContent();
    tableChanged = State.Table.OnDisk != tableContent;
    if (SyncFile(State.Table, HighScoresPath, tableContent, why)) {
      State.TableCheckOnDisk = HighScoreCheckString();
    } else {
      ok = false;
      tableChanged = false;
      if (State.Table.Reported != tableContent) {
        State.Table.Reported = tableContent;
        said += std::string(what) + " could not be saved to\n" + ShownPath(HighScoresPath) + "\n(" + why + ")." + retry;
      }
    }
  }
  if ((options || tableChanged) && OptionsMayBeSaved()) {
    const std::string content = OptionsContent(State.TableCheckOnDisk);
    if (!SyncFile(State.Options, OptionsPath, content, why)) {
      ok = false;
      if (tableChanged) {
        // The new table without its check string would be thrown out at the
        // next start: the old table goes back, which the old options match.
        // (A file that was cut when read is not known whole: it stays new.)
        if (oldTable)
          WriteFileAtomically(HighScoresPath, *oldTable);
        else if (State.Table.Status == TSaveFileStatus::Missing)
          ::unlink(HighScoresPath);
        State.Table.OnDisk = oldTable;
        State.TableCheckOnDisk = oldCheck;
        State.Table.Reported = tableContent;
        if (!said.empty()) said += "\n\n";
        said += std::string(what) + " could not be saved to\n" + ShownPath(HighScoresPath) +
                "\n(its check string could not be written to\n" + ShownPath(OptionsPath) + ": " + why + ")." + retry;
      } else if (State.Options.Reported != content) {
        State.Options.Reported = content;
        if (!said.empty()) said += "\n\n";
        said += "The options could not be saved to\n" + ShownPath(OptionsPath) + "\n(" + why + ")." + retry;
      }
    }
  }
  return ok;
}

void Say(const std::string& text) {
  if (!text.empty() && platform::HasCurrent()) platform::Current().MessageBox(MessageCaption, text);
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

bool ScoreQualifies(int32_t score) {
  for (int i = 1; i <= TableSize; ++i)
    if (HighScores[i].Score < score) return true;
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

TSaveFileStatus LoadHighScores() {
  TFileBytes read = ReadSaveFile(HighScoresPath, kHighScoresFileMaxBytes);
  TSaveFileLines file(read.Bytes);
  for (int i = 1; i <= TableSize; ++i) {
    HighScores[i].Name = file.Line(2 * i - 1).substr(0, kMaxNameBytes);
    HighScores[i].Score = ParseSaveNumber(file.Line(2 * i));
  }
  TFileState& state = State.Table;
  state = TFileState{read.Status, std::move(read.Problem), {}, {}};
  if (read.Status == TSaveFileStatus::Read && !read.Cut) state.OnDisk = std::move(read.Bytes);
  return state.Status;
}

TSaveFileStatus LoadOptions() {
  TFileBytes read = ReadSaveFile(OptionsPath, kOptionsFileMaxBytes);
  TSaveFileLines file(read.Bytes);
  GameOptions.FullScreen = ParseSaveNumber(file.Line(1)) != 0;
  GameOptions.MusicOn = ParseSaveNumber(file.Line(2)) != 0;
  GameOptions.SoundOn = ParseSaveNumber(file.Line(3)) != 0;
  GameOptions.AddText = file.Line(4).substr(0, kMaxTextBytes);
  HighScoreCheck = file.Line(5);
  TFileState& state = State.Options;
  state = TFileState{read.Status, std::move(read.Problem), {}, {}};
  if (read.Status == TSaveFileStatus::Read && !read.Cut) state.OnDisk = std::move(read.Bytes);
  return state.Status;
}

bool SaveHighScores() { return SaveFileAtomically(HighScoresPath, HighScoresContent()); }

bool SaveOptions() { return SaveFileAtomically(OptionsPath, OptionsContent(HighScoreCheckString())); }

void LoadSaveFiles() {
  LoadHighScores();
  LoadOptions();
  State.TableCheckOnDisk = HighScoreCheck;
  if (!HighScoresIntact()) ResetHighScores();
  State.Allowed = true;
}

bool SavesAllowed() { return State.Allowed; }
TSaveFileStatus HighScoresFileStatus() { return State.Table.Status; }
TSaveFileStatus OptionsFileStatus() { return State.Options.Status; }

std::string UnreadableSaveFilesText() {
  const bool table = State.Table.Status == TSaveFileStatus::Unreadable;
  const bool options = State.Options.Status == TSaveFileStatus::Unreadable;
  if (!table && !options) return {};
  std::string text;
  if (table)
    text += "The high-score file\n" + ShownPath(HighScoresPath) + "\ncannot be read (" + State.Table.Problem + ").\n";
  if (options)
    text += "The options file\n" + ShownPath(OptionsPath) + "\ncannot be read (" + State.Options.Problem + ").\n";
  text += "The game leaves ";
  text += table && options ? "them" : "it";
  text += " as ";
  text += table && options ? "they are" : "it is";
  text += options ? " and saves neither the high-score table\nnor the options while it runs."
                  : " and does not save\nthe high-score table while it runs.";
  text += "\nMake ";
  text += table && options ? "them plain files" : "it a plain file";
  text += " the game can read\n(or move ";
  text += table && options ? "them" : "it";
  text += " away), then start the game again.";
  return text;
}

bool SaveTableNow(std::string_view what) {
  std::string said;
  const bool ok = SaveNow(true, true, what, false, said);
  Say(said);
  return ok;
}

bool SaveOptionsNow() {
  std::string said;
  const bool ok = SaveNow(false, true, "The high-score table", false, said);
  Say(said);
  return ok;
}

void SaveSaveFiles() {
  std::string said;
  SaveNow(true, true, "The high-score table", true, said);
  Say(said);
}

void SaveSaveFilesQuietly() {
  std::string said;
  SaveNow(true, true, "The high-score table", true, said);
}

void ResetSaveFileState() { State = TSaveState{}; }

bool SaveFileAtomically(const std::string& path, std::string_view content) {
  return WriteFileAtomically(path, content) == 0;
}

}  // namespace fusewick
