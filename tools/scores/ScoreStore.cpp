#include "ScoreStore.h"

#include <sqlite3.h>

namespace fusewick::scores {

namespace {

constexpr size_t MaxIdleReaders = 16;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  throw StoreError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

void Exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    throw StoreError(std::string(sql) + ": " + text);
  }
}

// A prepared statement that is finalized on every path out.
struct Statement {
  sqlite3_stmt* stmt = nullptr;
  Statement(sqlite3* db, const char* sql) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK) Fail(db, "prepare");
  }
  ~Statement() { sqlite3_finalize(stmt); }
};

std::string Text(sqlite3_stmt* stmt, int column) {
  const unsigned char* p = sqlite3_column_text(stmt, column);
  return p ? std::string(reinterpret_cast<const char*>(p), size_t(sqlite3_column_bytes(stmt, column))) : std::string();
}

}  // namespace

ScoreStore::ScoreStore(const std::string& path, bool fullSync) : path_(path), fullSync_(fullSync) {
  writer_ = OpenConnection();
  try {
    Exec(writer_,
         "CREATE TABLE IF NOT EXISTS results ("
         " id INTEGER PRIMARY KEY,"
         " name TEXT NOT NULL,"
         " score INTEGER NOT NULL,"
         " note TEXT NOT NULL,"
         " received INTEGER NOT NULL);"
         "CREATE INDEX IF NOT EXISTS results_by_score ON results (score DESC, id);");
    if (sqlite3_prepare_v2(writer_, "INSERT INTO results (name, score, note, received) VALUES (?1, ?2, ?3, ?4)", -1,
                           &insert_, nullptr) != SQLITE_OK)
      Fail(writer_, "prepare insert");
    Statement q(writer_, "SELECT count(*) FROM results");
    if (sqlite3_step(q.stmt) != SQLITE_ROW) Fail(writer_, "count");
    count_ = sqlite3_column_int64(q.stmt, 0);
  } catch (...) {
    sqlite3_close_v2(writer_);
    throw;
  }
}

ScoreStore::~ScoreStore() {
  sqlite3_finalize(insert_);
  for (sqlite3* db : readers_) sqlite3_close_v2(db);
  sqlite3_close_v2(writer_);
}

sqlite3* ScoreStore::OpenConnection() {
  sqlite3* db = nullptr;
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
  if (sqlite3_open_v2(path_.c_str(), &db, flags, nullptr) != SQLITE_OK) {
    std::string message = db ? sqlite3_errmsg(db) : "out of memory";
    sqlite3_close_v2(db);
    throw StoreError("cannot open " + path_ + ": " + message);
  }
  try {
    sqlite3_busy_timeout(db, 5000);
    Exec(db, "PRAGMA journal_mode=WAL;");
    Exec(db, fullSync_ ? "PRAGMA synchronous=FULL;" : "PRAGMA synchronous=NORMAL;");
  } catch (...) {
    sqlite3_close_v2(db);
    throw;
  }
  return db;
}

int64_t ScoreStore::Add(const std::string& name, int32_t score, const std::string& note, int64_t received) {
  std::lock_guard<std::mutex> hold(writeLock_);
  sqlite3_reset(insert_);
  sqlite3_clear_bindings(insert_);
  sqlite3_bind_text(insert_, 1, name.data(), int(name.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int(insert_, 2, score);
  sqlite3_bind_text(insert_, 3, note.data(), int(note.size()), SQLITE_TRANSIENT);
  sqlite3_bind_int64(insert_, 4, received);
  if (sqlite3_step(insert_) != SQLITE_DONE) {
    sqlite3_reset(insert_);
    Fail(writer_, "insert");
  }
  sqlite3_reset(insert_);
  ++count_;
  return sqlite3_last_insert_rowid(writer_);
}

sqlite3* ScoreStore::AcquireReader() {
  {
    std::lock_guard<std::mutex> hold(readLock_);
    if (!readers_.empty()) {
      sqlite3* db = readers_.back();
      readers_.pop_back();
      return db;
    }
  }
  return OpenConnection();
}

void ScoreStore::ReleaseReader(sqlite3* db) {
  {
    std::lock_guard<std::mutex> hold(readLock_);
    if (readers_.size() < MaxIdleReaders) {
      readers_.push_back(db);
      return;
    }
  }
  sqlite3_close_v2(db);
}

std::vector<TResultRow> ScoreStore::Best(int limit) {
  sqlite3* db = AcquireReader();
  std::vector<TResultRow> rows;
  try {
    Statement q(db, "SELECT id, name, score, note, received FROM results ORDER BY score DESC, id LIMIT ?1");
    sqlite3_bind_int(q.stmt, 1, limit);
    int rc;
    while ((rc = sqlite3_step(q.stmt)) == SQLITE_ROW) {
      TResultRow r;
      r.Id = sqlite3_column_int64(q.stmt, 0);
      r.Name = Text(q.stmt, 1);
      r.Score = sqlite3_column_int(q.stmt, 2);
      r.Note = Text(q.stmt, 3);
      r.Received = sqlite3_column_int64(q.stmt, 4);
      rows.push_back(std::move(r));
    }
    if (rc != SQLITE_DONE) Fail(db, "select");
  } catch (...) {
    ReleaseReader(db);
    throw;
  }
  ReleaseReader(db);
  return rows;
}

}  // namespace fusewick::scores
