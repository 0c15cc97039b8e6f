// Every test runs headless: SDL gets its dummy video and audio drivers
// unless the caller chose others.
#include <cstdlib>

namespace {
struct HeadlessEnvironment {
  HeadlessEnvironment() {
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
  }
} headless;
}  // namespace
