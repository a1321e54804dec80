// The file-open dialog: a component that runs the system's dialog (GetOpenFileNameW, Explorer
// style) modally and keeps what the user chose. File names are UTF-8 (the start folder, the
// start name and the answers); the filter, title and default extension are texts of the
// program. The dialog's own modal loop keeps dispatching
// the program's messages while it is open.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <memory>

#include "framework/core/Classes.h"
#include "framework/core/Typinfo.h"

enum TOpenOption : uint32_t {
  ofReadOnly,
  ofOverwritePrompt,
  ofHideReadOnly,
  ofNoChangeDir,
  ofShowHelp,
  ofNoValidate,
  ofAllowMultiSelect,
  ofExtensionDifferent,
  ofPathMustExist,
  ofFileMustExist,
  ofCreatePrompt,
  ofShareAware,
  ofNoReadOnlyReturn,
  ofNoTestFileCreate,
  ofNoNetworkButton,
  ofNoLongNames,
  ofOldStyleDialog,
  ofNoDereferenceLinks,
  ofEnableIncludeNotify,
  ofEnableSizing,
};
// A set of TOpenOption: bit (1 << option).
using TOpenOptions = uint32_t;
constexpr TOpenOptions OpenOptions(std::initializer_list<TOpenOption> options) {
  TOpenOptions set = 0;
  for (TOpenOption option : options) set |= 1u << option;
  return set;
}
const TEnumInfo& OpenOptionInfo();
// The OFN_ flags of a set of options (OFN_EXPLORER always, unless ofOldStyleDialog).
DWORD OpenOptionsToFlags(TOpenOptions options);

// The system calls of the file dialog; tests replace them member by member. DialogError tells a
// cancel (0) from a failure after RunDialog answered FALSE.
struct TDialogServices {
  std::function<BOOL(OPENFILENAMEW* dialog)> RunDialog;
  std::function<DWORD()> DialogError;
};
// The process-wide instance, starting with the real calls.
TDialogServices& DialogServices();

class TOpenDialog : public TComponent {
  DECLARE_CLASS_INFO()
 public:
  explicit TOpenDialog(TComponent* owner);
  ~TOpenDialog() override;

  // "description|pattern|description|pattern...".
  const AnsiString& Filter() const { return filter_; }
  void SetFilter(const AnsiString& filter) { filter_ = filter; }
  // The filter selected at the start, counted from 1; afterwards the one the user left chosen.
  int FilterIndex() const { return filter_index_; }
  void SetFilterIndex(int index) { filter_index_ = index; }
  // Appended to a name typed without an extension; "*.mp3", ".mp3" and "mp3" all mean mp3.
  const AnsiString& DefaultExt() const { return default_ext_; }
  void SetDefaultExt(const AnsiString& ext) { default_ext_ = ext; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions options) { options_ = options; }
  const AnsiString& Title() const { return title_; }
  void SetTitle(const AnsiString& title) { title_ = title; }
  const AnsiString& InitialDir() const { return initial_dir_; }
  void SetInitialDir(const AnsiString& dir) { initial_dir_ = dir; }
  // The name shown at the start; after an accepted Execute, the full path of the (first) file.
  const AnsiString& FileName() const { return file_name_; }
  void SetFileName(const AnsiString& name) { file_name_ = name; }
  // Every chosen file's full path (several with ofAllowMultiSelect).
  TStrings* Files() const { return files_.get(); }

  // Runs the dialog; true when the user accepted a file. A dialog that cannot run raises
  // EOutOfResources naming the system's error code.
  virtual bool Execute();

 private:
  AnsiString filter_;
  int filter_index_ = 1;
  AnsiString default_ext_;
  TOpenOptions options_ = OpenOptions({ofHideReadOnly, ofEnableSizing});
  AnsiString title_;
  AnsiString initial_dir_;
  AnsiString file_name_;
  std::unique_ptr<TStrings> files_;
};
