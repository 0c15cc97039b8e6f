#pragma once
// Where the world high scores live: the results, the echo values handed out
// with version replies and (for recordings, later) the verification queue.
// Two backends share this interface: one SQLite file for a single machine,
// and PostgreSQL, which several server processes on any machines can share.
// Every call may come from any of the server's store threads at once.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace fusewick::scores {

class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct TResultRow {
  int64_t Id = 0;
  std::string Name;
  int32_t Score = 0;
  std::string Note;       // the player's free text
  int64_t Received = 0;   // Unix seconds
  bool Verified = false;  // re-played from a recording to exactly this result
};

struct TStoreLimits {
  // Beyond this many rows the oldest unverified rows go first (then the
  // oldest verified ones), checked by Maintain.
  int64_t MaxRows = 1000000;
  // A name keeps its best this many results: a new one beyond them replaces
  // the name's lowest unverified one, or is not kept if it is not better.
  int64_t MaxRowsPerName = 100;
  // Outstanding echo values; the ones closest to expiry give way first.
  int64_t MaxEchoes = 1000000;
};

enum class TSubmitOutcome {
  Stored,
  UnknownEcho,  // the echo value was never issued, is used or has expired
  NotBetter,    // the name has its full count of better results
};

struct TSubmitResult {
  TSubmitOutcome Outcome = TSubmitOutcome::UnknownEcho;
  int64_t Id = 0;  // of the stored row
};

class IScoreStore {
 public:
  virtual ~IScoreStore() = default;

  // Records a fresh echo value, good for one submission until expires (Unix s).
  virtual void AddEcho(const std::string& value, int64_t expires) = 0;
  // Redeems the echo value and stores the result in one transaction: once
  // this returns Stored, the row is committed.
  virtual TSubmitResult Submit(const std::string& echo, const TResultRow& row, int64_t now) = 0;
  // The best results, highest score first; equal scores in the order received.
  virtual std::vector<TResultRow> Best(int limit) = 0;
  // Rows stored (as of the last Maintain, plus this process's own since).
  virtual int64_t Count() = 0;
  // Drops expired echo values and trims the results to the limits. Returns
  // the result rows removed.
  virtual int64_t Maintain(int64_t now) = 0;
  // Throws if the database cannot be reached.
  virtual void Ping() = 0;
  // Bytes the database takes on disk.
  virtual int64_t SizeBytes() = 0;
};

// "postgresql://..." or "postgres://..." opens PostgreSQL; anything else is
// the path of a SQLite file, created if missing. With fullSync a stored row
// is on disk before Submit returns (it then survives a power failure);
// without, it survives this process being killed. Throws StoreError, with a
// clear message, if the database cannot be opened or written.
std::unique_ptr<IScoreStore> OpenStore(const std::string& location, const TStoreLimits& limits, bool fullSync);

std::unique_ptr<IScoreStore> OpenSqliteStore(const std::string& path, const TStoreLimits& limits, bool fullSync);
std::unique_ptr<IScoreStore> OpenPostgresStore(const std::string& url, const TStoreLimits& limits, bool fullSync);

// A fresh echo value: 32 lower-case hex digits from the system's random source.
std::string NewEchoValue();

}  // namespace fusewick::scores
