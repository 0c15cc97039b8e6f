#include "services/Records.h"

#include "services/SaveFiles.h"

namespace fusewick {

TRecordsState RecordsState;

void ResetRecords() {
  RecordsState = {};
  ResetSaveFileState();
}

}  // namespace fusewick
