#include "framework/win/Dialogs.h"

#include <cderr.h>

#include <vector>

#include "framework/core/Filter.h"
#include "framework/win/Platform.h"

#ifndef OFN_ENABLESIZING
#define OFN_ENABLESIZING 0x00800000
#endif

namespace {

// Big enough for a long multi-selection; the system says when it is not.
constexpr size_t kFileBufferSize = 64 * 1024;

constexpr DWORD kOptionFlags[] = {
    OFN_READONLY,
    OFN_OVERWRITEPROMPT,
    OFN_HIDEREADONLY,
    OFN_NOCHANGEDIR,
    OFN_SHOWHELP,
    OFN_NOVALIDATE,
    OFN_ALLOWMULTISELECT,
    OFN_EXTENSIONDIFFERENT,
    OFN_PATHMUSTEXIST,
    OFN_FILEMUSTEXIST,
    OFN_CREATEPROMPT,
    OFN_SHAREAWARE,
    OFN_NOREADONLYRETURN,
    OFN_NOTESTFILECREATE,
    OFN_NONETWORKBUTTON,
    OFN_NOLONGNAMES,
    0 /* ofOldStyleDialog */,
    OFN_NODEREFERENCELINKS,
    OFN_ENABLEINCLUDENOTIFY,
    OFN_ENABLESIZING,
};
static_assert(std::size(kOptionFlags) == ofEnableSizing + 1, "one flag per option");

bool Has(TOpenOptions options, TOpenOption option) {
  return options & (1u << option);
}

}  // namespace

TDialogServices& DialogServices() {
  static TDialogServices services{
      // The dialog library loads when a dialog first opens, not with the program.
      [](OPENFILENAMEW* dialog) {
        static const auto run =
            SystemFunction<BOOL(WINAPI*)(OPENFILENAMEW*)>(L"comdlg32.dll", "GetOpenFileNameW");
        if (!run) RaiseLastOSError("The file dialog is missing");
        return run(dialog);
      },
      [] {
        static const auto error =
            SystemFunction<DWORD(WINAPI*)()>(L"comdlg32.dll", "CommDlgExtendedError");
        return error ? error() : DWORD{0};
      }};
  return services;
}

const TEnumInfo& OpenOptionInfo() {
  static const TEnumInfo info{{"ofReadOnly",
                               "ofOverwritePrompt",
                               "ofHideReadOnly",
                               "ofNoChangeDir",
                               "ofShowHelp",
                               "ofNoValidate",
                               "ofAllowMultiSelect",
                               "ofExtensionDifferent",
                               "ofPathMustExist",
                               "ofFileMustExist",
                               "ofCreatePrompt",
                               "ofShareAware",
                               "ofNoReadOnlyReturn",
                               "ofNoTestFileCreate",
                               "ofNoNetworkButton",
                               "ofNoLongNames",
                               "ofOldStyleDialog",
                               "ofNoDereferenceLinks",
                               "ofEnableIncludeNotify",
                               "ofEnableSizing"}};
  return info;
}

DWORD OpenOptionsToFlags(TOpenOptions options) {
  DWORD flags = Has(options, ofOldStyleDialog) ? 0 : OFN_EXPLORER;
  for (uint32_t option = 0; option < std::size(kOptionFlags); ++option) {
    if (options & (1u << option)) flags |= kOptionFlags[option];
  }
  return flags;
}

const TClassInfo& TOpenDialog::StaticClassInfo() {
  static const TClassInfo& info =
      TClassBuilder<TOpenDialog>("TOpenDialog", &TComponent::StaticClassInfo())
          .Property("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt,
                    Default(AnsiString()))
          .Property("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName,
                    Default(AnsiString()))
          .Property("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter, Default(AnsiString()))
          .Property("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex,
                    Default(1))
          .Property("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir,
                    Default(AnsiString()))
          .Property("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions,
                    SetOf(OpenOptionInfo(), OpenOptions({ofHideReadOnly, ofEnableSizing}),
                          "TOpenOptions"))
          .Property("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle, Default(AnsiString()))
          .Build();
  return info;
}

TOpenDialog::TOpenDialog(TComponent* owner)
    : TComponent(owner), files_(std::make_unique<TStrings>()) {}

TOpenDialog::~TOpenDialog() = default;

bool TOpenDialog::Execute() {
  // Every text the system reads must live until it returns.
  const std::wstring filter = WideText(FilterToSystem(filter_));
  const std::wstring default_ext = WideText(DefaultExtToSystem(default_ext_));
  const std::wstring initial_dir = WidePath(initial_dir_);
  const std::wstring title = WideText(title_);
  const std::wstring start_name = WidePath(file_name_);
  std::vector<wchar_t> buffer(kFileBufferSize, L'\0');
  start_name.copy(buffer.data(), std::min(start_name.size(), buffer.size() - 2));

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = GetActiveWindow();
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(std::max(filter_index_, 0));
  dialog.lpstrFile = buffer.data();
  dialog.nMaxFile = static_cast<DWORD>(buffer.size());
  dialog.lpstrInitialDir = initial_dir.empty() ? nullptr : initial_dir.c_str();
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = default_ext.empty() ? nullptr : default_ext.c_str();
  dialog.Flags = OpenOptionsToFlags(options_);

  if (!DialogServices().RunDialog(&dialog)) {
    const DWORD error = DialogServices().DialogError();
    if (error == 0) return false;  // the user cancelled
    if (error == FNERR_BUFFERTOOSMALL) {
      throw EOutOfResources("Too many files are selected for the file dialog");
    }
    throw EOutOfResources(Format("The file dialog cannot be shown (error 0x%04lX)", error));
  }

  // A multi-selection is the folder and the names, separated by NULs: the first name's offset
  // then follows a NUL. Otherwise the buffer holds one path (and after it maybe the tail of
  // the name we put in, which is no file).
  std::vector<AnsiString> files;
  if (Has(options_, ofAllowMultiSelect) && dialog.nFileOffset > 0 &&
      buffer[dialog.nFileOffset - 1] == L'\0') {
    const AnsiString answer = Utf8Path(buffer.data(), buffer.size());
    files = SplitSelectedFiles(answer.data(), answer.size());
  } else {
    files.push_back(Utf8Path(buffer.data(), wcsnlen(buffer.data(), buffer.size())));
  }
  files_->SetItems(files);
  file_name_ = files.empty() ? AnsiString() : files.front();
  filter_index_ = static_cast<int>(dialog.nFilterIndex);
  const TOpenOptions answered = (1u << ofReadOnly) | (1u << ofExtensionDifferent);
  options_ &= ~answered;
  if (dialog.Flags & OFN_READONLY) options_ |= 1u << ofReadOnly;
  if (dialog.Flags & OFN_EXTENSIONDIFFERENT) options_ |= 1u << ofExtensionDifferent;
  return true;
}
