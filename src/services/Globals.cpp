#include "services/Globals.h"

namespace fusewick {

TShellState ShellState;

}  // namespace fusewick
