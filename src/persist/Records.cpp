#include "persist/Records.h"

#include "persist/SaveFiles.h"

namespace fusewick {

TRecordsState RecordsState;

void ResetRecords() {
  RecordsState = {};
  ResetSaveFileState();
}

}  // namespace fusewick
