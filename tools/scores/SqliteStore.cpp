// The results in one SQLite file in WAL mode: one writer connection behind a
// lock, a small pool of readers that read while the writer writes.
#include <sqlite3.h>

#include <atomic>
#include <filesystem>
#include <mutex>
#include <random>

#include "Store.h"

namespace fusewick::scores {

namespace {

constexpr size_t MaxIdleReaders = 16;
// Rows removed by one Maintain at most, so that the writer is not held long.
constexpr int64_t TrimBatch = 10000;

[[noreturn]] void Fail(sqlite3* db, const std::string& what) {
  throw StoreError(what + ": " + (db ? sqlite3_errmsg(db) : "out of memory"));
}

void Exec(sqlite3* db, const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    std::string text = message ? message : "unknown error";
    sqlite3_free(message);
    throw StoreError(std::string(sql).substr(0, 60) + ": " + text);
  }
}

// A prepared statement that is finalized on every path out.
class Statement {
 public:
  Statement(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr) != SQLITE_OK) Fail(db, "prepare");
  }
  ~Statement() { sqlite3_finalize(stmt_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  Statement& Text(int i, const std::string& s) {
    sqlite3_bind_text(stmt_, i, s.data(), int(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Blob(int i, const std::string& s) {
    sqlite3_bind_blob64(stmt_, i, s.data(), sqlite3_uint64(s.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Statement& Int(int i, int64_t v) {
    sqlite3_bind_int64(stmt_, i, v);
    return *this;
  }
  // True for a row, false when done; throws on an error.
  bool Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc != SQLITE_DONE) Fail(db_, "step");
    return false;
  }
  Statement& Version(int i, std::optional<uint32_t> v) {
    if (v)
      sqlite3_bind_int64(stmt_, i, *v);
    else
      sqlite3_bind_null(stmt_, i);
    return *this;
  }
  int64_t Column(int i) { return sqlite3_column_int64(stmt_, i); }
  std::optional<uint32_t> ColumnVersion(int i) {
    if (sqlite3_column_type(stmt_, i) == SQLITE_NULL) return std::nullopt;
    return uint32_t(sqlite3_column_int64(stmt_, i));
  }
  std::string ColumnBlob(int i) {
    const void* p = sqlite3_column_blob(stmt_, i);
    return p ? std::string(static_cast<const char*>(p), size_t(sqlite3_column_bytes(stmt_, i))) : std::string();
  }
  std::string ColumnText(int i) {
    const unsigned char* p = sqlite3_column_text(stmt_, i);
    return p ? std::string(reinterpret_cast<const char*>(p), size_t(sqlite3_column_bytes(stmt_, i))) : std::string();
  }

 private:
  sqlite3* db_;
  sqlite3_stmt* stmt_ = nullptr;
};

// A transaction that rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) { Exec(db_, "BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (open_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Exec(db_, "COMMIT");
    open_ = false;
  }

 private:
  sqlite3* db_;
  bool open_ = true;
};

class SqliteStore : public IScoreStore {
 public:
  SqliteStore(const std::string& path, const TStoreLimits& limits, bool fullSync)
      : path_(path), limits_(limits), fullSync_(fullSync) {
    writer_ = OpenConnection();
    try {
      if (sqlite3_db_readonly(writer_, "main") == 1)
        throw StoreError("cannot write " + path_ + ": the file is read-only");
      Exec(writer_,
           "CREATE TABLE IF NOT EXISTS results ("
           " id INTEGER PRIMARY KEY,"
           " name TEXT NOT NULL,"
           " score INTEGER NOT NULL,"
           " note TEXT NOT NULL,"
           " received INTEGER NOT NULL,"
           " verified INTEGER NOT NULL DEFAULT 0);"
           "CREATE TABLE IF NOT EXISTS echoes (value TEXT PRIMARY KEY, expires INTEGER NOT NULL) WITHOUT ROWID;"
           "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL) WITHOUT ROWID;");
      // Files from before the verified and echo columns get them: false and
      // none for every row.
      auto hasColumn = [&](const char* column) {
        Statement q(writer_, "SELECT 1 FROM pragma_table_info('results') WHERE name = ?1");
        q.Text(1, column);
        return q.Step();
      };
      if (!hasColumn("verified")) Exec(writer_, "ALTER TABLE results ADD COLUMN verified INTEGER NOT NULL DEFAULT 0");
      if (!hasColumn("echo")) Exec(writer_, "ALTER TABLE results ADD COLUMN echo TEXT");
      Exec(writer_,
           "CREATE INDEX IF NOT EXISTS results_by_score ON results (score DESC, id);"
           "CREATE INDEX IF NOT EXISTS results_ranked ON results (verified DESC, score DESC, id);"
           "CREATE INDEX IF NOT EXISTS results_by_name ON results (name, score);"
           "CREATE INDEX IF NOT EXISTS results_by_echo ON results (echo) WHERE echo IS NOT NULL;"
           "CREATE INDEX IF NOT EXISTS echoes_by_expiry ON echoes (expires);"
           // A result's recorded game and the queue of recordings to verify;
           // both go with their result.
           "CREATE TABLE IF NOT EXISTS recordings ("
           " result_id INTEGER PRIMARY KEY REFERENCES results (id) ON DELETE CASCADE,"
           " bytes BLOB NOT NULL,"
           " uploaded INTEGER NOT NULL);"
           "CREATE TABLE IF NOT EXISTS verify_jobs ("
           " id INTEGER PRIMARY KEY,"
           " result_id INTEGER NOT NULL REFERENCES results (id) ON DELETE CASCADE,"
           " state TEXT NOT NULL DEFAULT 'queued',"
           " enqueued INTEGER NOT NULL,"
           " taken INTEGER,"
           " finished INTEGER);"
           "CREATE INDEX IF NOT EXISTS verify_jobs_open ON verify_jobs (state, id);"
           "CREATE INDEX IF NOT EXISTS verify_jobs_by_result ON verify_jobs (result_id);");
      // The logic version a recording names (NULL: unreadable, and for the
      // jobs of files from before it): which verifier takes the job.
      {
        Statement q(writer_, "SELECT 1 FROM pragma_table_info('verify_jobs') WHERE name = 'logic_version'");
        if (!q.Step()) Exec(writer_, "ALTER TABLE verify_jobs ADD COLUMN logic_version INTEGER");
      }
      // A file that cannot be written stops the start here, not at the
      // first submission.
      Exec(writer_, "INSERT OR REPLACE INTO meta (key, value) VALUES ('opened', datetime('now'))");
      Statement q(writer_, "SELECT count(*) FROM results");
      q.Step();
      count_ = q.Column(0);
    } catch (const StoreError& e) {
      sqlite3_close_v2(writer_);
      throw StoreError(std::string("database ") + path_ + " is not usable: " + e.what());
    }
  }

  ~SqliteStore() override {
    for (sqlite3* db : readers_) sqlite3_close_v2(db);
    sqlite3_close_v2(writer_);
  }

  void AddEcho(const std::string& value, int64_t expires) override {
    std::lock_guard<std::mutex> hold(writeLock_);
    Statement q(writer_, "INSERT OR REPLACE INTO echoes (value, expires) VALUES (?1, ?2)");
    q.Text(1, value).Int(2, expires).Step();
  }

  TSubmitResult Submit(const std::string& echo, const TResultRow& row, int64_t now) override {
    std::lock_guard<std::mutex> hold(writeLock_);
    Transaction tx(writer_);
    {
      Statement q(writer_, "DELETE FROM echoes WHERE value = ?1 AND expires > ?2");
      q.Text(1, echo).Int(2, now).Step();
    }
    if (sqlite3_changes(writer_) != 1) return {TSubmitOutcome::UnknownEcho, 0};

    int64_t replaced = 0;
    {
      Statement q(writer_, "SELECT count(*) FROM results WHERE name = ?1");
      q.Text(1, row.Name).Step();
      if (q.Column(0) >= limits_.MaxRowsPerName) {
        Statement low(writer_,
                      "SELECT id, score FROM results WHERE name = ?1 AND verified = 0 ORDER BY score, id DESC LIMIT 1");
        low.Text(1, row.Name);
        if (!low.Step() || low.Column(1) >= row.Score) return {TSubmitOutcome::NotBetter, 0};
        replaced = low.Column(0);
      }
    }
    if (replaced) Statement(writer_, "DELETE FROM results WHERE id = ?1").Int(1, replaced).Step();
    Statement insert(
        writer_, "INSERT INTO results (name, score, note, received, verified, echo) VALUES (?1, ?2, ?3, ?4, ?5, ?6)");
    insert.Text(1, row.Name)
        .Int(2, row.Score)
        .Text(3, row.Note)
        .Int(4, row.Received)
        .Int(5, row.Verified)
        .Text(6, echo)
        .Step();
    int64_t id = sqlite3_last_insert_rowid(writer_);
    tx.Commit();
    if (!replaced) ++count_;
    return {TSubmitOutcome::Stored, id};
  }

  std::vector<TResultRow> Best(int limit, int64_t offset, TListing which) override {
    Reader reader(*this);
    std::vector<TResultRow> rows;
    Statement q(reader.db,
                which == TListing::All
                    ? "SELECT r.id, r.name, r.score, r.note, r.received, r.verified, j.state, j.logic_version"
                      " FROM results r LEFT JOIN verify_jobs j ON j.result_id = r.id"
                      " ORDER BY r.verified DESC, r.score DESC, r.id LIMIT ?1 OFFSET ?2"
                    : "SELECT r.id, r.name, r.score, r.note, r.received, r.verified, j.state, j.logic_version"
                      " FROM results r LEFT JOIN verify_jobs j ON j.result_id = r.id WHERE r.verified = 1"
                      " ORDER BY r.verified DESC, r.score DESC, r.id LIMIT ?1 OFFSET ?2");
    q.Int(1, limit).Int(2, offset);
    while (q.Step()) {
      TResultRow r;
      r.Id = q.Column(0);
      r.Name = q.ColumnText(1);
      r.Score = int32_t(q.Column(2));
      r.Note = q.ColumnText(3);
      r.Received = q.Column(4);
      r.Verified = q.Column(5) != 0;
      r.Job = q.ColumnText(6);
      r.LogicVersion = q.ColumnVersion(7);
      rows.push_back(std::move(r));
    }
    return rows;
  }

  int64_t Count() override { return count_.load(); }

  TUploadResult AddRecording(const std::string& echo, const std::string& bytes, std::optional<uint32_t> logicVersion,
                             int64_t now) override {
    std::lock_guard<std::mutex> hold(writeLock_);
    Transaction tx(writer_);
    Statement find(writer_, "SELECT id FROM results WHERE echo = ?1");
    find.Text(1, echo);
    if (echo.empty() || !find.Step()) return {TUploadOutcome::UnknownEcho, 0};
    int64_t id = find.Column(0);
    if (Statement(writer_, "SELECT 1 FROM recordings WHERE result_id = ?1").Int(1, id).Step())
      return {TUploadOutcome::HasRecording, id};
    Statement insert(writer_, "INSERT INTO recordings (result_id, bytes, uploaded) VALUES (?1, ?2, ?3)");
    insert.Int(1, id).Int(3, now);
    insert.Blob(2, bytes).Step();
    Statement(writer_, "INSERT INTO verify_jobs (result_id, enqueued, logic_version) VALUES (?1, ?2, ?3)")
        .Int(1, id)
        .Int(2, now)
        .Version(3, logicVersion)
        .Step();
    tx.Commit();
    return {TUploadOutcome::Queued, id};
  }

  std::optional<TVerifyJob> TakeJob(int64_t now, int64_t staleBefore, const TLogicVersions& versions) override {
    std::lock_guard<std::mutex> hold(writeLock_);
    // BEGIN IMMEDIATE holds the file's write lock: one taker at a time, in
    // this process or another.
    Transaction tx(writer_);
    // The oldest queued job, else the oldest stale one (two look-ups, so
    // that each walks its index).
    std::optional<TVerifyJob> job;
    for (bool stale : {false, true}) {
      Statement q(writer_,
                  stale ? "SELECT j.id, j.result_id, r.name, r.score, c.bytes, j.logic_version FROM verify_jobs j"
                          " JOIN results r ON r.id = j.result_id JOIN recordings c ON c.result_id = j.result_id"
                          " WHERE j.state = 'running' AND j.taken < ?1 AND (j.logic_version IS NULL"
                          " OR instr(?2, ',' || j.logic_version || ',') > 0) ORDER BY j.id LIMIT 1"
                        : "SELECT j.id, j.result_id, r.name, r.score, c.bytes, j.logic_version FROM verify_jobs j"
                          " JOIN results r ON r.id = j.result_id JOIN recordings c ON c.result_id = j.result_id"
                          " WHERE j.state = 'queued' AND (j.logic_version IS NULL"
                          " OR instr(?2, ',' || j.logic_version || ',') > 0) ORDER BY j.id LIMIT 1");
      q.Int(1, staleBefore).Text(2, LogicVersionList(versions));
      if (q.Step()) {
        job = TVerifyJob{q.Column(0),          q.Column(1),     q.ColumnText(2),
                         int32_t(q.Column(3)), q.ColumnBlob(4), q.ColumnVersion(5)};
        break;
      }
    }
    if (!job) return std::nullopt;
    Statement(writer_, "UPDATE verify_jobs SET state = 'running', taken = ?2 WHERE id = ?1")
        .Int(1, job->JobId)
        .Int(2, now)
        .Step();
    tx.Commit();
    return job;
  }

  void FinishJob(const TVerifyJob& job, bool verified, int64_t now) override {
    std::lock_guard<std::mutex> hold(writeLock_);
    Transaction tx(writer_);
    Statement(writer_, "UPDATE verify_jobs SET state = ?2, finished = ?3 WHERE id = ?1 AND state = 'running'")
        .Int(1, job.JobId)
        .Text(2, verified ? "verified" : "refused")
        .Int(3, now)
        .Step();
    if (verified && sqlite3_changes(writer_) == 1)
      Statement(writer_, "UPDATE results SET verified = 1 WHERE id = ?1").Int(1, job.ResultId).Step();
    tx.Commit();
  }

  int64_t PendingJobs() override {
    Reader reader(*this);
    Statement q(reader.db, "SELECT count(*) FROM verify_jobs WHERE state IN ('queued', 'running')");
    q.Step();
    return q.Column(0);
  }

  std::optional<std::string> VerifiedRecording(int64_t resultId) override {
    Reader reader(*this);
    Statement q(reader.db,
                "SELECT c.bytes FROM recordings c JOIN results r ON r.id = c.result_id"
                " WHERE c.result_id = ?1 AND r.verified = 1");
    q.Int(1, resultId);
    if (!q.Step()) return std::nullopt;
    return q.ColumnBlob(0);
  }

  int64_t Maintain(int64_t now) override {
    std::lock_guard<std::mutex> hold(writeLock_);
    Transaction tx(writer_);
    Statement(writer_, "DELETE FROM echoes WHERE expires <= ?1").Int(1, now).Step();
    Statement echoes(writer_, "SELECT count(*) FROM echoes");
    echoes.Step();
    if (int64_t excess = echoes.Column(0) - limits_.MaxEchoes; excess > 0)
      Statement(writer_, "DELETE FROM echoes WHERE value IN (SELECT value FROM echoes ORDER BY expires LIMIT ?1)")
          .Int(1, excess)
          .Step();

    Statement count(writer_, "SELECT count(*) FROM results");
    count.Step();
    int64_t rows = count.Column(0), removed = 0;
    if (int64_t excess = std::min(rows - limits_.MaxRows, TrimBatch); excess > 0) {
      // The oldest unverified rows first, then the oldest verified ones.
      Statement(writer_, "DELETE FROM results WHERE id IN (SELECT id FROM results ORDER BY verified, id LIMIT ?1)")
          .Int(1, excess)
          .Step();
      removed = sqlite3_changes(writer_);
    }
    tx.Commit();
    count_ = rows - removed;
    return removed;
  }

  void Ping() override {
    Reader reader(*this);
    Statement(reader.db, "SELECT 1").Step();
  }

  int64_t SizeBytes() override {
    int64_t total = 0;
    for (const char* suffix : {"", "-wal", "-shm"}) {
      std::error_code ec;
      auto size = std::filesystem::file_size(path_ + suffix, ec);
      if (!ec) total += int64_t(size);
    }
    return total;
  }

 private:
  // A reader connection borrowed for one query.
  struct Reader {
    SqliteStore& store;
    sqlite3* db;
    explicit Reader(SqliteStore& s) : store(s), db(s.AcquireReader()) {}
    ~Reader() { store.ReleaseReader(db); }
  };

  sqlite3* OpenConnection() {
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
      // A removed result takes its recording and its verification job along.
      Exec(db, "PRAGMA foreign_keys=ON;");
      Exec(db, fullSync_ ? "PRAGMA synchronous=FULL;" : "PRAGMA synchronous=NORMAL;");
    } catch (const StoreError& e) {
      sqlite3_close_v2(db);
      throw StoreError("cannot open " + path_ + ": " + e.what());
    }
    return db;
  }

  sqlite3* AcquireReader() {
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

  void ReleaseReader(sqlite3* db) {
    {
      std::lock_guard<std::mutex> hold(readLock_);
      if (readers_.size() < MaxIdleReaders) {
        readers_.push_back(db);
        return;
      }
    }
    sqlite3_close_v2(db);
  }

  std::string path_;
  TStoreLimits limits_;
  bool fullSync_;
  std::mutex writeLock_;
  sqlite3* writer_ = nullptr;
  std::mutex readLock_;
  std::vector<sqlite3*> readers_;
  std::atomic<int64_t> count_{0};
};

}  // namespace

std::unique_ptr<IScoreStore> OpenSqliteStore(const std::string& path, const TStoreLimits& limits, bool fullSync) {
  return std::make_unique<SqliteStore>(path, limits, fullSync);
}

std::unique_ptr<IScoreStore> OpenStore(const std::string& location, const TStoreLimits& limits, bool fullSync) {
  if (location.rfind("postgresql://", 0) == 0 || location.rfind("postgres://", 0) == 0)
    return OpenPostgresStore(location, limits, fullSync);
  return OpenSqliteStore(location, limits, fullSync);
}

std::string LogicVersionList(const TLogicVersions& versions) {
  std::string list = ",";
  for (uint32_t v : versions) list += std::to_string(v) + ",";
  return list;
}

std::string NewEchoValue() {
  static thread_local std::random_device random;
  static const char digits[] = "0123456789abcdef";
  std::string value;
  value.reserve(32);
  for (int i = 0; i < 4; ++i) {
    uint32_t word = random();
    for (int j = 0; j < 8; ++j, word >>= 4) value += digits[word & 15u];
  }
  return value;
}

}  // namespace fusewick::scores
