#pragma once
// The results table of the world high-score server, in one SQLite file in
// WAL mode: one writer connection behind a lock, a small pool of readers
// that read while the writer writes.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace fusewick::scores {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TResultRow {
  int64_t Id = 0;
  std::string Name;
  int32_t Score = 0;
  std::string Note;     // the player's free text
  int64_t Received = 0;  // Unix seconds
};

class ScoreStore {
 public:
  // Opens (or creates) the database file. fullSync also survives a power
  // failure; without it a committed row survives the server being killed.
  explicit ScoreStore(const std::string& path, bool fullSync = false);
  ~ScoreStore();
  ScoreStore(const ScoreStore&) = delete;
  ScoreStore& operator=(const ScoreStore&) = delete;

  // Stores one result and returns its row id once it is committed.
  int64_t Add(const std::string& name, int32_t score, const std::string& note, int64_t received);
  // The best results, highest score first; equal scores in the order received.
  std::vector<TResultRow> Best(int limit);
  // Rows stored, counted at opening and kept up to date by Add.
  int64_t Count() const { return count_.load(); }

 private:
  sqlite3* OpenConnection();
  sqlite3* AcquireReader();
  void ReleaseReader(sqlite3* db);

  std::string path_;
  bool fullSync_;
  std::mutex writeLock_;
  sqlite3* writer_ = nullptr;
  sqlite3_stmt* insert_ = nullptr;
  std::mutex readLock_;
  std::vector<sqlite3*> readers_;
  std::atomic<int64_t> count_{0};
};

}  // namespace fusewick::scores
