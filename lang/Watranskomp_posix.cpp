// Native side of the catalogue's system services, for the builds that run the portable code
// and its tests outside Windows.
#include <filesystem>
#include <system_error>

#include "lang/Watranskomp.h"

namespace {

AnsiString ProcessExecutablePath() {
  std::error_code error;
  std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? AnsiString() : path.string();
}

}  // namespace

TLanguageServices& LanguageServices() {
  static TLanguageServices services{
      ProcessExecutablePath,
      [](const AnsiString& source, const AnsiString& destination) {
        std::error_code error;
        // A read-only destination is replaced as on Windows, where the copy clears the flag.
        if (std::filesystem::exists(destination, error)) {
          std::filesystem::permissions(destination, std::filesystem::perms::owner_write,
                                       std::filesystem::perm_options::add, error);
        }
        std::filesystem::copy_file(source, destination,
                                   std::filesystem::copy_options::overwrite_existing, error);
        return !error;
      },
      // Without a message loop there is nothing to end later; the caller's wiring decides.
      [] {},
  };
  return services;
}
