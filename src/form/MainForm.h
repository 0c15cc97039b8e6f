#pragma once
// The main form: the one window, its components, start-up, the frame tick,
// and the translation of keys, mouse and window requests into the game's
// flags and screen changes.
#include <bitset>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "services/FormComponents.h"
#include "services/TickInput.h"

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

  // What the devices gave since the last tick and the next tick's input
  // takes: the Ctrl key's press not yet used, the typed characters, a close
  // request during play.
  const TTickInput& PendingInput() const { return pending_; }
  // The Ctrl key is down (its auto-repeat reports no new press).
  bool CtrlDown() const { return ctrlDown_; }

 private:
  // The tick's input from the devices, or from the recording played back
  // (false when no game tick is to run: the watcher paused or stopped it).
  void TakeDeviceInput(TTickInput& in, int32_t lagCount);
  bool TakePlaybackInput(TTickInput& in);
  // Keys held when a text input opens type nothing until they are let go.
  void NoteTypingOpen();

  TTickInput pending_;
  TTickInput tick_;  // this tick's input
  bool ctrlDown_ = false;
  bool enterTyped_ = false;  // the name entry took an Enter: nothing more until the tick
  bool typingOpen_ = false;
  std::bitset<256> keysDown_, keysMuted_;
};

// Start-up step: the three archives into the image and wave lists.
void LoadResources();
void ApplyDisplayMode();
void EnterWindowedMode();
void EnterFullScreenMode();
void ShowMouseCursor();
void HideMouseCursor();
// The frame rate the timer measures (or the one a test holds).
double MeasuredFrameRate();
void UpdateFrameRate();
void ResetInputFlags();
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
