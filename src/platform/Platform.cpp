#include "platform/Platform.h"

#include <stdexcept>

namespace fusewick::platform {

namespace {
Platform* current = nullptr;
}

Platform& Current() {
  if (!current) throw std::logic_error("no platform installed");
  return *current;
}
void SetCurrent(Platform* p) { current = p; }
bool HasCurrent() { return current != nullptr; }

}  // namespace fusewick::platform
