#include "platform/WindowIcon.h"

namespace fusewick::platform {

namespace {
#include "WindowIconPixels.inc"
}  // namespace

WindowIconImage WindowIcon() { return {kWindowIconSize, kWindowIconPixels}; }

}  // namespace fusewick::platform
