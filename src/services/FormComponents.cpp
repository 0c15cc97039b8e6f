#include "services/FormComponents.h"

namespace fusewick {

TFormComponents* MForm = nullptr;

}  // namespace fusewick
