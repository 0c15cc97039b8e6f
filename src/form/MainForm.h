#pragma once
// The main form: the one window, its components, start-up, the frame tick,
// and the translation of keys, mouse and window requests into the game's
// flags and screen changes.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "services/FormComponents.h"

namespace fusewick {

constexpr const char* kFormCaption = "Fusewick v.2.0";
constexpr const char* kApplicationTitle = "Fusewick";

class TMForm : public TFormComponents {
 public:
  // Creates the components with their stored settings.
  TMForm();
  ~TMForm() override;

  // Event handlers.
  void FormCreate();
  void MDXTimerTimer(int32_t lagCount);
  void FormKeyDown(int& key, uint8_t shift);
  void FormKeyUp(int& key, uint8_t shift);
  void FormKeyPress(char& key);
  void MDXDrawMouseMove(uint8_t shift, int32_t x, int32_t y);
  void MDXDrawClick();
  void FormCloseQuery(bool& canClose);
  void FormSysCommand(uint32_t command);

  // Delivers one window-system event to its handler.
  void HandleEvent(const platform::Event& e);
  // A game controller's button went down (platform::PadButtonCode).
  void PadButtonDown(int button);
};

// Start-up step: the three archives into the image and wave lists.
void LoadResources();
void ApplyDisplayMode();
void EnterWindowedMode();
void EnterFullScreenMode();
void ShowMouseCursor();
void HideMouseCursor();
void UpdateFrameRate();
void ResetInputFlags();
void UpdateInputFlags();
void StartNewGame();
// Saves, opens the exit link and ends the program: nothing runs after it.
void QuitProgram();
// The system asks the program to end (a signal): saves what may be saved,
// without a question or a message, and ends the program at once.
void TerminateProgram();

// Recorded games. A recording named here (the command line's --replay) is
// played back once the program has started.
extern std::string RecordingToPlay;
// Reads a recording and plays it back; a bad one is told to the player and
// the main menu stays.
void PlayRecordingFile(const std::string& path);
// Starts the game of the recording that BeginPlayback took.
void StartRecordedGame();
// After a game: the high-score table, or after a recording the main menu.
void ShowScreenAfterPlay();

// Puts every program-wide state back to its start-up value, as a new process
// has it (tests and benchmarks that run the program more than once).
void ResetProgramState();

// Runs the program on the current platform until QuitProgram; the exit status.
int RunApplication();

}  // namespace fusewick
