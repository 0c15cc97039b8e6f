#include "shell/Globals.h"

namespace fusewick {

TShellState ShellState;

}  // namespace fusewick
