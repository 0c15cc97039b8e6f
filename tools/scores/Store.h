#pragma once
// Where the world high scores live: the results, the echo values handed out
// with version replies, the recorded games uploaded for them and the queue
// of recordings waiting to be verified.
// Two backends share this interface: one SQLite file for a single machine,
// and PostgreSQL, which several server processes on any machines can share.
// Every call may come from any of the server's store threads at once.
#include <cstdint>
#include <memory>
#include <optional>
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
  // Its recording's verification: "" (no recording), "queued", "running",
  // "verified" or "refused"; and the logic version the recording names
  // (none when its header could not be read).
  std::string Job{};
  std::optional<uint32_t> LogicVersion{};
  // For the page and the API, set by the server: "verified", "pending",
  // "failed", "unverifiable: made by version N" or "no recording".
  std::string Status{};
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

enum class TUploadOutcome {
  Queued,
  UnknownEcho,   // no stored result used this echo value
  HasRecording,  // the result has its recording already
};

struct TUploadResult {
  TUploadOutcome Outcome = TUploadOutcome::UnknownEcho;
  int64_t ResultId = 0;
};

// A recording taken from the queue by a verifier, with the result it claims.
struct TVerifyJob {
  int64_t JobId = 0;
  int64_t ResultId = 0;
  std::string Name;
  int32_t Score = 0;
  std::string Recording;
  std::optional<uint32_t> LogicVersion;  // none: its header could not be read
};

// The logic versions a worker has verifiers for.
using TLogicVersions = std::vector<uint32_t>;

// Which rows a listing holds: every row, or the verified ones only. Either
// way verified rows come first, then the best score, then the earliest.
enum class TListing { All, VerifiedOnly };

class IScoreStore {
 public:
  virtual ~IScoreStore() = default;

  // Records a fresh echo value, good for one submission until expires (Unix s).
  virtual void AddEcho(const std::string& value, int64_t expires) = 0;
  // Redeems the echo value and stores the result in one transaction: once
  // this returns Stored, the row is committed. The row keeps the echo value,
  // so that the game's recording of the result can find it.
  virtual TSubmitResult Submit(const std::string& echo, const TResultRow& row, int64_t now) = 0;
  // The results in the order of the page: verified first, then the highest
  // score; equal ones in the order received. offset rows are skipped.
  virtual std::vector<TResultRow> Best(int limit, int64_t offset = 0, TListing which = TListing::All) = 0;

  // Stores the recording of the result that used the echo value and queues
  // it for verification, in one transaction, with the logic version its
  // header names (none when unreadable). A result takes one recording.
  virtual TUploadResult AddRecording(const std::string& echo, const std::string& bytes,
                                     std::optional<uint32_t> logicVersion, int64_t now) = 0;
  // Takes the oldest queued job of one of the logic versions (or of none:
  // any worker takes those) so that no other worker (in any process) takes
  // it too; a job taken before staleBefore by a worker that never finished
  // it is taken again. None when no such job waits: the jobs of other logic
  // versions stay queued for a worker that has their verifier.
  virtual std::optional<TVerifyJob> TakeJob(int64_t now, int64_t staleBefore, const TLogicVersions& versions) = 0;
  // Ends a taken job; a verified one marks its result verified.
  virtual void FinishJob(const TVerifyJob& job, bool verified, int64_t now) = 0;
  // Jobs queued or taken and not finished.
  virtual int64_t PendingJobs() = 0;
  // The stored recording of a verified result; none for any other id.
  virtual std::optional<std::string> VerifiedRecording(int64_t resultId) = 0;

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

// The versions as the stores' queries take them: ",3,4,".
std::string LogicVersionList(const TLogicVersions& versions);

// A fresh echo value: 32 lower-case hex digits from the system's random source.
std::string NewEchoValue();

}  // namespace fusewick::scores
