// Handover: the system's side of an alarm asked for on the command line. The arguments as the
// system gives them, the sound file checked on disk, the message of a bad argument, and the
// running copies of the program that a start with arguments may hand its alarm to.
//
// Every running copy enters its window in a table that all copies of the user share (a file
// mapping). A start with arguments offers its alarm to the entered copies as WM_COPYDATA; a
// copy takes it only while it waits for nothing (no alarm armed, none ringing). When none
// takes it, the start runs as a copy of its own and arms itself: an armed alarm is never
// replaced. Window captions, which change with the language, play no part. A mutex orders two
// copies started at the same moment: the one that finds no taker keeps it until its own window
// is entered (armed by then), so the other sees it and, finding it busy, arms a copy too.
//
// The table and the mutex belong to the user: they live in a private namespace bounded by the
// user's SID, with a DACL for that user alone, or where the system has no such namespaces
// among the session's objects under a name that holds the SID, with the same DACL. Nothing
// in the table is trusted: an entry counts only when its window lives, belongs to the entry's
// process, and that process runs this very program file. No wait for the mutex stops the
// thread's messages, and a start that cannot get it within a few seconds goes on without it.
#pragma once

#include <windows.h>

#include <vector>

#include "app/Cmdline.h"
#include "framework/win/Handles.h"

// The arguments of this start, UTF-8 (the wide command line, split by the shell's rules for
// quotes and backslashes). A start with /id alone takes the arguments its record keeps.
std::vector<AnsiString> StartArguments();
// The full path of the existing file that `name` names, or the empty text (TFileResolver).
AnsiString ResolveExistingFile(const AnsiString& name);
// Shows the message of a start of kind Usage or Bad in the active language.
void ShowStartMessage(const TStartRequest& request);
// Shows, in English (there are no texts), that the language files `missing` are not there.
void ShowMissingLanguageFiles(const std::vector<AnsiString>& missing);

// The tag of a hand-over in COPYDATASTRUCT::dwData.
constexpr ULONG_PTR kHandOverTag = 0x574B4131;
// How long a start waits for the mutex, and for each copy to answer.
constexpr DWORD kLockTimeout = 5000;
constexpr DWORD kHandOverTimeout = 15000;

// Reads a hand-over that WM_COPYDATA delivered; false for data that is not a hand-over or does
// not ask for an alarm exactly as a command line would.
bool ReadHandOver(const COPYDATASTRUCT* data, const TFileResolver& resolve, TAlarmRequest& alarm);

// Whether process `process` runs the same program file as this one.
bool RunsThisProgram(DWORD process);

class TRunningCopy {
 public:
  // The named objects of the program for this user; `name` replaces the program's part of
  // their names (tests).
  explicit TRunningCopy(const AnsiString& name = "Wakora");
  ~TRunningCopy();  // takes our entry out and gives back the mutex
  TRunningCopy(const TRunningCopy&) = delete;
  TRunningCopy& operator=(const TRunningCopy&) = delete;

  // Offers `alarm` to the entered copies; true when one took it. False when none did: the
  // mutex is then kept until Enter.
  bool HandOver(const TAlarmRequest& alarm);
  // Enters `window` of this process as a copy that takes hand-overs; gives back the mutex.
  void Enter(HWND window);
  // The windows of the live copies entered, this one's included.
  std::vector<HWND> EnteredWindows() const;

  // Slots of the table; a copy beyond them runs but is offered nothing.
  static constexpr int kSlots = 64;
  struct TEntry;

 private:
  bool Lock();
  void Unlock();
  HWND LiveWindow(const TEntry& entry) const;

  TKernelHandle FMapping;
  TKernelHandle FMutex;
  HANDLE FNamespace = nullptr;  // owned: the private namespace, closed with the objects
  TEntry* FTable = nullptr;     // the mapping's view; owned
  int FSlot = -1;               // the slot this copy entered
  bool FLocked = false;
};
