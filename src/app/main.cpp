#include <cstdio>
#include <cstring>
#include <exception>

#include "form/MainForm.h"
#include "platform/SdlAudio.h"
#include "platform/SdlPlatform.h"

int main(int argc, char** argv) {
  // fusewick --replay FILE: plays a recorded game back in the window.
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--replay") != 0) continue;  // other arguments are ignored, as they always were
    if (i + 1 >= argc) {
      std::fprintf(stderr, "usage: fusewick [--replay FILE.fwr]\n");
      return 2;
    }
    fusewick::RecordingToPlay = argv[++i];
  }
  try {
    fusewick::platform::SdlPlatform sdl;
    fusewick::platform::SetCurrent(&sdl);
    // Made after the platform so that it closes its output before SDL quits.
    fusewick::platform::SdlAudio audio;
    fusewick::platform::SetCurrentAudio(&audio);
    const int status = fusewick::RunApplication();
    fusewick::platform::SetCurrentAudio(nullptr);
    fusewick::platform::SetCurrent(nullptr);
    return status;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "Fusewick: %s\n", e.what());
    return 1;
  }
}
