#include "Store.h"

namespace fusewick::scores {

std::unique_ptr<IScoreStore> OpenPostgresStore(const std::string&, const TStoreLimits&) {
  throw StoreError("PostgreSQL is not supported by this build");
}

}  // namespace fusewick::scores
