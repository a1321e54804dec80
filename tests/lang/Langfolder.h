// A temporary folder that plays the executable's folder for the catalogue: the tests write
// language files into it byte for byte, and while it lives the catalogue's services are the
// real calls with the executable's path replaced and the copies and termination requests
// counted. The folder's
// name lies outside the ANSI code page, as a user's download folder may.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "lang/Watranskomp.h"
#include "tests/Widefolder.h"

class TLanguageFolder {
 public:
  // The executable is `folder/<exeName>`; its language files are `folder/<base>` + suffix.
  explicit TLanguageFolder(const std::string& exeName = "x.exe") {
    static int serial = 0;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    Top = std::filesystem::temp_directory_path() /
          ("wakora-lang-" + std::to_string(stamp) + "-" + std::to_string(++serial));
    Folder = Top / widefolder::PathOf(widefolder::Name());
    std::filesystem::remove_all(Top);
    std::filesystem::create_directories(Folder);
    ExePath = widefolder::Utf8Of(Folder / exeName);
    Base = ExePath.substr(0, ExePath.size() - 3);

    TLanguageServices& services = LanguageServices();
    services.ExecutablePath = [this] { return ExePath; };
    services.CopyFileOver = [this, realCopy = saved_.CopyFileOver](const AnsiString& source,
                                                                   const AnsiString& destination) {
      Copies.push_back(Suffix(source) + ">" + Suffix(destination));
      return realCopy(source, destination);
    };
    services.RequestTermination = [this] { ++Terminations; };
  }
  ~TLanguageFolder() {
    LanguageServices() = saved_;
    std::error_code ignored;
    std::filesystem::remove_all(Top, ignored);
  }
  TLanguageFolder(const TLanguageFolder&) = delete;
  TLanguageFolder& operator=(const TLanguageFolder&) = delete;

  void Write(const std::string& suffix, const std::string& bytes) const {
    std::ofstream out(Path(suffix), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << Base + suffix;
  }
  std::string Read(const std::string& suffix) const {
    std::ifstream in(Path(suffix), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& suffix) const { return std::filesystem::exists(Path(suffix)); }
  void Remove(const std::string& suffix) const { std::filesystem::remove(Path(suffix)); }
  std::filesystem::path Path(const std::string& suffix) const {
    return widefolder::PathOf(Base + suffix);
  }

  // A language file in CR LF form: the name as text 0, then the given texts, then [END].
  static std::string LanguageFile(const std::string& name, const std::vector<std::string>& texts) {
    std::string file = "[0]\r\n";
    file += name;
    file += "\r\n";
    for (size_t i = 0; i < texts.size(); ++i) {
      // Headers hold at most three characters; sections count by order, not by number.
      file += '[';
      file += std::to_string((i + 1) % 1000);
      file += "]\r\n";
      file += texts[i];
      file += "\r\n";
    }
    return file + "[END]\r\n";
  }

  std::filesystem::path Top;     // removed with everything in it
  std::filesystem::path Folder;  // the executable's, inside Top
  std::string ExePath;
  std::string Base;
  std::vector<std::string> Copies;  // "t01>def" per copy asked for
  int Terminations = 0;

 private:
  // The services as they were, put back when the folder goes.
  TLanguageServices saved_ = LanguageServices();

  std::string Suffix(const AnsiString& path) const {
    return path.compare(0, Base.size(), Base) == 0 ? path.substr(Base.size()) : path;
  }
};
