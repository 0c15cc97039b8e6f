// The results in PostgreSQL (libpq), shared by any number of server
// processes on any machines: the echo values live in the database too, so
// that a submission may reach another process than its version request did.
// Each store thread borrows a connection of its own from a small pool.
#include <libpq-fe.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "Store.h"

namespace fusewick::scores {

namespace {

constexpr int64_t TrimBatch = 10000;
// Keys of the advisory locks: one process creates the tables, one trims.
constexpr const char* SchemaLock = "7301001";
constexpr const char* TrimLock = "7301002";

class Result {
 public:
  explicit Result(PGresult* r) : r_(r) {}
  ~Result() { PQclear(r_); }
  Result(const Result&) = delete;
  Result& operator=(const Result&) = delete;
  int Rows() const { return PQntuples(r_); }
  std::string Text(int row, int col) const {
    return std::string(PQgetvalue(r_, row, col), size_t(PQgetlength(r_, row, col)));
  }
  int64_t Int(int row, int col) const { return std::stoll(Text(row, col)); }
  std::optional<uint32_t> Version(int row, int col) const {
    if (PQgetisnull(r_, row, col)) return std::nullopt;
    return uint32_t(Int(row, col));
  }
  // Throws StoreError unless the statement succeeded.
  void Check(PGconn* c) const;
  int64_t Affected() const {
    const char* n = PQcmdTuples(r_);
    return *n ? std::stoll(n) : 0;
  }

 private:
  PGresult* r_;
};

std::string Message(PGconn* c) {
  std::string m = c ? PQerrorMessage(c) : "out of memory";
  while (!m.empty() && (m.back() == '\n' || m.back() == ' ')) m.pop_back();
  return m;
}

void Result::Check(PGconn* c) const {
  ExecStatusType status = PQresultStatus(r_);
  if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
  std::string what = PQresultErrorMessage(r_);
  while (!what.empty() && what.back() == '\n') what.pop_back();
  throw StoreError(std::string("PostgreSQL: ") + (what.empty() ? Message(c) : what));
}

// Runs one statement with text parameters; throws StoreError on failure.
std::unique_ptr<Result> Run(PGconn* c, const char* sql, const std::vector<std::string>& params = {}) {
  std::vector<const char*> values;
  for (const std::string& p : params) values.push_back(p.c_str());
  PGresult* r = PQexecParams(c, sql, int(values.size()), nullptr, values.data(), nullptr, nullptr, 0);
  auto result = std::make_unique<Result>(r);
  result->Check(c);
  return result;
}

// A transaction that rolls back unless committed.
class Transaction {
 public:
  explicit Transaction(PGconn* c) : c_(c) { Run(c_, "BEGIN"); }
  ~Transaction() {
    if (open_ && PQstatus(c_) == CONNECTION_OK) PQclear(PQexec(c_, "ROLLBACK"));
  }
  void Commit() {
    open_ = false;
    Run(c_, "COMMIT");
  }

 private:
  PGconn* c_;
  bool open_ = true;
};

class PostgresStore : public IScoreStore {
 public:
  PostgresStore(const std::string& url, const TStoreLimits& limits, bool fullSync)
      : url_(url), limits_(limits), fullSync_(fullSync) {
    Connection c(*this);
    try {
      Run(c.conn, "SET client_min_messages = warning");
      Run(c.conn, "BEGIN");
      Run(c.conn, (std::string("SELECT pg_advisory_xact_lock(") + SchemaLock + ")").c_str());
      Run(c.conn,
          "CREATE TABLE IF NOT EXISTS results ("
          " id BIGSERIAL PRIMARY KEY,"
          " name TEXT NOT NULL,"
          " score INTEGER NOT NULL,"
          " note TEXT NOT NULL,"
          " received BIGINT NOT NULL,"
          " verified BOOLEAN NOT NULL DEFAULT false)");
      // Tables from before the echo column get it, empty for every row.
      Run(c.conn, "ALTER TABLE results ADD COLUMN IF NOT EXISTS echo TEXT");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS results_by_score ON results (score DESC, id)");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS results_ranked ON results (verified DESC, score DESC, id)");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS results_by_echo ON results (echo) WHERE echo IS NOT NULL");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS results_by_name ON results (name, score)");
      Run(c.conn, "CREATE TABLE IF NOT EXISTS echoes (value TEXT PRIMARY KEY, expires BIGINT NOT NULL)");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS echoes_by_expiry ON echoes (expires)");
      // The queue of recordings to verify: workers anywhere take the oldest
      // queued job with SELECT ... FOR UPDATE SKIP LOCKED.
      Run(c.conn,
          "CREATE TABLE IF NOT EXISTS verify_jobs ("
          " id BIGSERIAL PRIMARY KEY,"
          " result_id BIGINT NOT NULL REFERENCES results (id) ON DELETE CASCADE,"
          " state TEXT NOT NULL DEFAULT 'queued',"
          " enqueued BIGINT NOT NULL,"
          " taken BIGINT)");
      Run(c.conn, "ALTER TABLE verify_jobs ADD COLUMN IF NOT EXISTS finished BIGINT");
      // The logic version a recording names (NULL: unreadable, and for the
      // jobs of databases from before it): which verifier takes the job.
      Run(c.conn, "ALTER TABLE verify_jobs ADD COLUMN IF NOT EXISTS logic_version BIGINT");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS verify_jobs_queued ON verify_jobs (id) WHERE state = 'queued'");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS verify_jobs_running ON verify_jobs (taken) WHERE state = 'running'");
      Run(c.conn, "CREATE INDEX IF NOT EXISTS verify_jobs_by_result ON verify_jobs (result_id)");
      Run(c.conn,
          "CREATE TABLE IF NOT EXISTS recordings ("
          " result_id BIGINT PRIMARY KEY REFERENCES results (id) ON DELETE CASCADE,"
          " bytes BYTEA NOT NULL,"
          " uploaded BIGINT NOT NULL)");
      Run(c.conn, "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)");
      // A database that cannot be written stops the start here.
      Run(c.conn,
          "INSERT INTO meta (key, value) VALUES ('opened', now()::text)"
          " ON CONFLICT (key) DO UPDATE SET value = excluded.value");
      Run(c.conn, "COMMIT");
      count_ = Run(c.conn, "SELECT count(*) FROM results")->Int(0, 0);
    } catch (const StoreError& e) {
      throw StoreError(std::string("PostgreSQL database is not usable: ") + e.what());
    }
  }

  ~PostgresStore() override {
    for (PGconn* c : idle_) PQfinish(c);
  }

  void AddEcho(const std::string& value, int64_t expires) override {
    Connection c(*this);
    Run(c.conn, "INSERT INTO echoes (value, expires) VALUES ($1, $2) ON CONFLICT (value) DO UPDATE SET expires = $2",
        {value, std::to_string(expires)});
  }

  TSubmitResult Submit(const std::string& echo, const TResultRow& row, int64_t now) override {
    Connection c(*this);
    Transaction tx(c.conn);
    // With full sync the stored row is on disk before it is acknowledged;
    // without, it is committed in the database server (it survives this
    // process being killed, not a crash of the database's machine).
    if (fullSync_) Run(c.conn, "SET LOCAL synchronous_commit = on");
    if (Run(c.conn, "DELETE FROM echoes WHERE value = $1 AND expires > $2", {echo, std::to_string(now)})->Affected() !=
        1)
      return {TSubmitOutcome::UnknownEcho, 0};
    // One submission of a name at a time, so that its cap holds across processes.
    Run(c.conn, "SELECT pg_advisory_xact_lock(hashtext($1))", {row.Name});
    bool replaced = false;
    if (Run(c.conn, "SELECT count(*) FROM results WHERE name = $1", {row.Name})->Int(0, 0) >= limits_.MaxRowsPerName) {
      auto low =
          Run(c.conn, "SELECT id, score FROM results WHERE name = $1 AND NOT verified ORDER BY score, id DESC LIMIT 1",
              {row.Name});
      if (low->Rows() == 0 || low->Int(0, 1) >= row.Score) return {TSubmitOutcome::NotBetter, 0};
      Run(c.conn, "DELETE FROM results WHERE id = $1", {low->Text(0, 0)});
      replaced = true;
    }
    auto inserted =
        Run(c.conn,
            "INSERT INTO results (name, score, note, received, verified, echo) VALUES ($1, $2, $3, $4, $5, $6)"
            " RETURNING id",
            {row.Name, std::to_string(row.Score), row.Note, std::to_string(row.Received),
             row.Verified ? "true" : "false", echo});
    int64_t id = inserted->Int(0, 0);
    tx.Commit();
    if (!replaced) ++count_;
    return {TSubmitOutcome::Stored, id};
  }

  std::vector<TResultRow> Best(int limit, int64_t offset, TListing which) override {
    Connection c(*this);
    auto r = Run(c.conn,
                 which == TListing::All
                     ? "SELECT r.id, r.name, r.score, r.note, r.received, r.verified, j.state, j.logic_version"
                       " FROM results r LEFT JOIN verify_jobs j ON j.result_id = r.id"
                       " ORDER BY r.verified DESC, r.score DESC, r.id LIMIT $1 OFFSET $2"
                     : "SELECT r.id, r.name, r.score, r.note, r.received, r.verified, j.state, j.logic_version"
                       " FROM results r LEFT JOIN verify_jobs j ON j.result_id = r.id WHERE r.verified"
                       " ORDER BY r.verified DESC, r.score DESC, r.id LIMIT $1 OFFSET $2",
                 {std::to_string(limit), std::to_string(offset)});
    std::vector<TResultRow> rows;
    rows.reserve(size_t(r->Rows()));
    for (int i = 0; i < r->Rows(); ++i)
      rows.push_back({r->Int(i, 0), r->Text(i, 1), int32_t(r->Int(i, 2)), r->Text(i, 3), r->Int(i, 4),
                      r->Text(i, 5) == "t", r->Text(i, 6), r->Version(i, 7)});
    return rows;
  }

  int64_t Count() override { return count_.load(); }

  TUploadResult AddRecording(const std::string& echo, const std::string& bytes, std::optional<uint32_t> logicVersion,
                             int64_t now) override {
    if (echo.empty()) return {TUploadOutcome::UnknownEcho, 0};
    Connection c(*this);
    Transaction tx(c.conn);
    // The result's row stays locked until the end, so that two uploads for
    // it (through any processes) come one after the other.
    auto found = Run(c.conn, "SELECT id FROM results WHERE echo = $1 FOR UPDATE", {echo});
    if (found->Rows() == 0) return {TUploadOutcome::UnknownEcho, 0};
    std::string id = found->Text(0, 0);
    if (Run(c.conn, "SELECT 1 FROM recordings WHERE result_id = $1", {id})->Rows() > 0)
      return {TUploadOutcome::HasRecording, std::stoll(id)};
    const char* values[] = {id.c_str(), bytes.data(), nullptr};
    std::string when = std::to_string(now);
    values[2] = when.c_str();
    const int lengths[] = {0, int(bytes.size()), 0};
    const int formats[] = {0, 1, 0};  // the bytes go as they are
    Result inserted(PQexecParams(c.conn, "INSERT INTO recordings (result_id, bytes, uploaded) VALUES ($1, $2, $3)", 3,
                                 nullptr, values, lengths, formats, 0));
    inserted.Check(c.conn);
    Run(c.conn, "INSERT INTO verify_jobs (result_id, enqueued, logic_version) VALUES ($1, $2, NULLIF($3, '')::bigint)",
        {id, when, logicVersion ? std::to_string(*logicVersion) : std::string()});
    tx.Commit();
    return {TUploadOutcome::Queued, std::stoll(id)};
  }

  std::optional<TVerifyJob> TakeJob(int64_t now, int64_t staleBefore, const TLogicVersions& versions) override {
    Connection c(*this);
    Transaction tx(c.conn);
    // SKIP LOCKED: workers in other processes pass over the job this one
    // holds instead of waiting for it or taking it too.
    // The oldest queued job, else the oldest stale one (two look-ups, so
    // that each walks its index).
    // Only the jobs of the logic versions given (or of none).
    std::unique_ptr<Result> taken;
    const std::string list = LogicVersionList(versions);
    for (bool stale : {false, true}) {
      taken = stale ? Run(c.conn,
                          "UPDATE verify_jobs SET state = 'running', taken = $1 WHERE id = ("
                          " SELECT id FROM verify_jobs WHERE state = 'running' AND taken < $2"
                          " AND (logic_version IS NULL OR position(',' || logic_version || ',' in $3) > 0)"
                          " ORDER BY id LIMIT 1 FOR UPDATE SKIP LOCKED) RETURNING id, result_id, logic_version",
                          {std::to_string(now), std::to_string(staleBefore), list})
                    : Run(c.conn,
                          "UPDATE verify_jobs SET state = 'running', taken = $1 WHERE id = ("
                          " SELECT id FROM verify_jobs WHERE state = 'queued'"
                          " AND (logic_version IS NULL OR position(',' || logic_version || ',' in $2) > 0)"
                          " ORDER BY id LIMIT 1 FOR UPDATE SKIP LOCKED) RETURNING id, result_id, logic_version",
                          {std::to_string(now), list});
      if (taken->Rows() > 0) break;
    }
    if (taken->Rows() == 0) {
      tx.Commit();
      return std::nullopt;
    }
    TVerifyJob job;
    job.JobId = taken->Int(0, 0);
    job.ResultId = taken->Int(0, 1);
    job.LogicVersion = taken->Version(0, 2);
    std::string id = taken->Text(0, 1);
    const char* values[] = {id.c_str()};
    Result r(PQexecParams(c.conn,
                          "SELECT r.name, r.score, c.bytes FROM results r JOIN recordings c ON c.result_id = r.id"
                          " WHERE r.id = $1",
                          1, nullptr, values, nullptr, nullptr, 1));  // binary: the bytes as stored
    r.Check(c.conn);
    if (r.Rows() == 0) {
      Run(c.conn, "DELETE FROM verify_jobs WHERE id = $1", {taken->Text(0, 0)});
      tx.Commit();
      return std::nullopt;
    }
    job.Name = r.Text(0, 0);
    // A binary integer column is 4 bytes, most significant first.
    std::string score = r.Text(0, 1);
    if (score.size() != 4) throw StoreError("PostgreSQL: unexpected score column");
    uint32_t v = 0;
    for (char b : score) v = (v << 8) | uint8_t(b);
    job.Score = int32_t(v);
    job.Recording = r.Text(0, 2);
    tx.Commit();
    return job;
  }

  void FinishJob(const TVerifyJob& job, bool verified, int64_t now) override {
    Connection c(*this);
    Transaction tx(c.conn);
    auto ended = Run(c.conn, "UPDATE verify_jobs SET state = $2, finished = $3 WHERE id = $1 AND state = 'running'",
                     {std::to_string(job.JobId), verified ? "verified" : "refused", std::to_string(now)});
    if (verified && ended->Affected() == 1)
      Run(c.conn, "UPDATE results SET verified = true WHERE id = $1", {std::to_string(job.ResultId)});
    tx.Commit();
  }

  int64_t PendingJobs() override {
    Connection c(*this);
    return Run(c.conn, "SELECT count(*) FROM verify_jobs WHERE state IN ('queued', 'running')")->Int(0, 0);
  }

  std::optional<std::string> VerifiedRecording(int64_t resultId) override {
    Connection c(*this);
    std::string id = std::to_string(resultId);
    const char* values[] = {id.c_str()};
    Result r(PQexecParams(c.conn,
                          "SELECT c.bytes FROM recordings c JOIN results r ON r.id = c.result_id"
                          " WHERE c.result_id = $1 AND r.verified",
                          1, nullptr, values, nullptr, nullptr, 1));
    r.Check(c.conn);
    if (r.Rows() == 0) return std::nullopt;
    return r.Text(0, 0);
  }

  int64_t Maintain(int64_t now) override {
    Connection c(*this);
    Transaction tx(c.conn);
    // One process at a time does the upkeep; the others skip it.
    if (Run(c.conn, (std::string("SELECT pg_try_advisory_xact_lock(") + TrimLock + ")").c_str())->Text(0, 0) != "t") {
      tx.Commit();
      count_ = Run(c.conn, "SELECT count(*) FROM results")->Int(0, 0);
      return 0;
    }
    Run(c.conn, "DELETE FROM echoes WHERE expires <= $1", {std::to_string(now)});
    int64_t echoes = Run(c.conn, "SELECT count(*) FROM echoes")->Int(0, 0);
    if (echoes > limits_.MaxEchoes)
      Run(c.conn, "DELETE FROM echoes WHERE value IN (SELECT value FROM echoes ORDER BY expires LIMIT $1)",
          {std::to_string(echoes - limits_.MaxEchoes)});
    int64_t rows = Run(c.conn, "SELECT count(*) FROM results")->Int(0, 0), removed = 0;
    if (int64_t excess = std::min(rows - limits_.MaxRows, TrimBatch); excess > 0)
      removed = Run(c.conn, "DELETE FROM results WHERE id IN (SELECT id FROM results ORDER BY verified, id LIMIT $1)",
                    {std::to_string(excess)})
                    ->Affected();
    tx.Commit();
    count_ = rows - removed;
    return removed;
  }

  void Ping() override {
    Connection c(*this);
    Run(c.conn, "SELECT 1");
  }

  int64_t SizeBytes() override {
    Connection c(*this);
    return Run(c.conn, "SELECT pg_database_size(current_database())")->Int(0, 0);
  }

 private:
  // A connection borrowed from the pool for one call; a broken one is
  // dropped instead of returned.
  struct Connection {
    PostgresStore& store;
    PGconn* conn;
    explicit Connection(PostgresStore& s) : store(s), conn(s.Acquire()) {}
    ~Connection() { store.Release(conn); }
  };

  PGconn* Acquire() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      if (!idle_.empty()) {
        PGconn* c = idle_.back();
        idle_.pop_back();
        return c;
      }
    }
    PGconn* c = PQconnectdb(url_.c_str());
    if (PQstatus(c) != CONNECTION_OK) {
      std::string why = Message(c);
      PQfinish(c);
      throw StoreError("cannot connect to PostgreSQL: " + why);
    }
    // Commits do not wait for the disk (but see Submit): an echo value or a
    // trim lost in a crash of the database costs nothing.
    try {
      Run(c, "SET synchronous_commit = off");
    } catch (...) {
      PQfinish(c);
      throw;
    }
    return c;
  }

  void Release(PGconn* c) {
    if (PQstatus(c) == CONNECTION_OK && PQtransactionStatus(c) == PQTRANS_IDLE) {
      std::lock_guard<std::mutex> hold(lock_);
      if (idle_.size() < 64) {
        idle_.push_back(c);
        return;
      }
    }
    PQfinish(c);
  }

  std::string url_;
  TStoreLimits limits_;
  bool fullSync_;
  std::mutex lock_;
  std::vector<PGconn*> idle_;
  std::atomic<int64_t> count_{0};
};

}  // namespace

std::unique_ptr<IScoreStore> OpenPostgresStore(const std::string& url, const TStoreLimits& limits, bool fullSync) {
  return std::make_unique<PostgresStore>(url, limits, fullSync);
}

}  // namespace fusewick::scores
