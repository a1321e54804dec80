// Drives the built program the way a user would: a copy of the distribution folder in a
// temporary place, the program started there in the shared Wine desktop, its windows found
// by class and process, and messages posted to them.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

// Waits until `done` answers true, up to `milliseconds`; false on timeout.
bool WaitFor(const std::function<bool()>& done, DWORD milliseconds);

// The distribution folder that the build made (Wakora.exe, language files, sounds).
std::string DistFolder();
// Paths are UTF-8 and reach the system through its wide calls.
std::wstring Wide(const std::string& utf8);
// A new empty temporary folder inside one whose name the ANSI code page cannot hold.
std::string MakeTempFolder();
// Copies the files of `from` whose names match `pattern` ("*" for all) into `to`.
void CopyFiles(const std::string& from, const std::string& to, const std::string& pattern);
bool CopyOneFile(const std::string& from, const std::string& to);
bool Exists(const std::string& path);
bool SameFile(const std::string& a, const std::string& b);
std::string ReadFile(const std::string& path);

// The commands of the user's Run key that start a program in `folder`, by the values' names;
// and the same taken out. An alarm armed by a test and ended with the test leaves one behind.
std::vector<std::wstring> Records(const std::string& folder);
void ForgetRecords(const std::string& folder);

class Program {
 public:
  // Starts `folder`\Wakora.exe, with `arguments` (UTF-8) after its quoted name.
  explicit Program(const std::string& folder, const std::string& exe = "Wakora.exe",
                   const std::string& arguments = "");
  // The program of a process that runs already, in `folder`.
  Program(DWORD process, const std::string& folder);
  // Ends the program if it still runs (unless left running), and then takes its records out.
  ~Program();
  // Leaves the program running when this object goes.
  void LeaveRunning() { leave_running_ = true; }

  bool Running() const;
  // Waits for the process to end; false on timeout.
  bool WaitForExit(DWORD milliseconds);
  DWORD Id() const { return info_.dwProcessId; }
  // The exit code, or STILL_ACTIVE.
  DWORD ExitCode() const;

  // A top-level window of the program by class (and title when given), or null.
  HWND TopWindow(const char* class_name, const char* title = nullptr) const;
  // A message-only window of the program by class and title, or null.
  HWND MessageWindow(const char* class_name, const char* title) const;
  // The window, a form of class TForm1; the application's taskbar window, a utility window
  // titled with the program's name; the tray icon's hidden window, a message-only utility
  // window titled with its control's class.
  HWND MainWindow() const { return TopWindow("TForm1"); }
  HWND ApplicationWindow() const { return TopWindow("WeftUtility", title_.c_str()); }
  HWND TrayWindow() const { return MessageWindow("WeftUtility", "TTrayIcon"); }
  // A visible dialog of the program: a message box (Wine keeps hidden ones of its own).
  HWND MessageBoxWindow() const;
  // A child of the main window by class, the n-th in z-order.
  HWND Child(const char* class_name, int index = 0) const;
  // All children of a window with their classes, depth first.
  static std::vector<HWND> Children(HWND parent);

 private:
  PROCESS_INFORMATION info_{};
  std::string folder_;
  std::string title_;  // the program's name: its file name without the extension
  bool leave_running_ = false;
};

// Texts as the windows show them, in UTF-8.
std::string WindowText(HWND window);
std::vector<std::string> ComboItems(HWND combo);
void SetText(HWND window, const std::string& text);
int ComboIndex(HWND combo);
// Chooses an entry as the user does: the selection, then the notification to the parent.
void ChooseComboItem(HWND combo, int index);
// A left click at client coordinates (reaches windowless controls through their parent).
void Click(HWND window, int x, int y);
// A visible message box of any process whose text begins with `text`, or null.
HWND FindMessageBox(const std::string& text);
// The texts of the static children of a message box.
std::string MessageBoxText(HWND box);
// Presses the message box's OK button.
void PressOk(HWND box);

}  // namespace driver
