#include <cstdio>
#include <exception>

#include "platform/SdlPlatform.h"
#include "shell/MainForm.h"

int main() {
  try {
    fusewick::platform::SdlPlatform sdl;
    fusewick::platform::SetCurrent(&sdl);
    const int status = fusewick::RunApplication();
    fusewick::platform::SetCurrent(nullptr);
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fusewick: %s\n", e.what());
    return 1;
  }
}
