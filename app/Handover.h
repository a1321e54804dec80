// Handover: the system's side of an alarm asked for on the command line. The arguments as the
// system gives them, the sound file checked on disk, the message of a bad argument, and the
// one running copy of the program that a start with arguments hands its alarm to.
//
// Every running copy opens a named file mapping of the user's session that holds one entry:
// the process and the window of the copy that takes hand-overs (the first that found the entry
// empty, or whose entered copy had gone). A start with arguments reads the entry and sends the
// alarm to that window as WM_COPYDATA; window captions, which change with the language, play
// no part. A named mutex orders two copies started at the same moment: the one that finds no
// running copy keeps the mutex until its own window is entered, so the other hands over to it.
//
// An entry left by a copy that crashed names a window that is gone, or one of another process:
// it counts as empty. A copy that does not take the hand-over (hung, or one of higher
// integrity, which the system shields from our message) is passed by: this copy then starts and
// arms itself, and enters itself.
#pragma once

#include <windows.h>

#include <vector>

#include "app/Cmdline.h"
#include "framework/win/Handles.h"

// The arguments after the program's name, UTF-8 (the wide command line, split by the shell's
// rules for quotes and backslashes).
std::vector<AnsiString> CommandLineArguments();
// The full path of the existing file that `name` names, or the empty text (TFileResolver).
AnsiString ResolveExistingFile(const AnsiString& name);
// Shows the message of a start of kind Usage or Bad in the active language.
void ShowStartMessage(const TStartRequest& request);

// The tag of a hand-over in COPYDATASTRUCT::dwData.
constexpr ULONG_PTR kHandOverTag = 0x574B4131;
// How long a start waits for the running copy to take its alarm, and for the mutex.
constexpr DWORD kHandOverTimeout = 15000;

// Reads a hand-over that WM_COPYDATA delivered; false for data that is not a hand-over or does
// not ask for an alarm exactly as a command line would.
bool ReadHandOver(const COPYDATASTRUCT* data, const TFileResolver& resolve, TAlarmRequest& alarm);

class TRunningCopy {
 public:
  // The named objects of the program in this session for this user; `name` replaces the
  // program's part of their names (tests).
  explicit TRunningCopy(const AnsiString& name = "Wakora");
  ~TRunningCopy();  // takes our entry out and gives back the mutex
  TRunningCopy(const TRunningCopy&) = delete;
  TRunningCopy& operator=(const TRunningCopy&) = delete;

  // Hands `alarm` to the running copy; true when it took it. False when there is none or it
  // did not take it: the mutex is then kept until Enter.
  bool HandOver(const TAlarmRequest& alarm);
  // Enters `window` of this process as the copy that takes hand-overs, unless a live copy that
  // has not refused one is entered; gives back the mutex.
  void Enter(HWND window);
  // The window entered, null when the entry is empty or stale.
  HWND EnteredWindow() const;

 private:
  struct TEntry;
  bool Lock();
  void Unlock();

  TKernelHandle FMapping;
  TKernelHandle FMutex;
  TEntry* FEntry = nullptr;  // the mapping's view; owned
  bool FLocked = false;
  bool FRefused = false;  // the entered copy did not take our hand-over
};
