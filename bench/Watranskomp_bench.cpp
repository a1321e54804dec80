// Loading a large active-language file against reading the same bytes plainly, in one run.
// The file has 10001 sections of about 100 bytes each (about 1 MB, CR LF line ends).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "lang/Watranskomp.h"

namespace {

struct TBenchFolder {
  TBenchFolder() {
    Path = std::filesystem::temp_directory_path() / "wakora-watrans-bench";
    std::filesystem::create_directories(Path);
    Base = (Path / "Wakora.").string();
    std::string file;
    for (int section = 0; section <= 10001; ++section) {
      // Headers hold at most three characters; the last one is the end marker.
      file += section == 10001 ? "[END]" : "[" + std::to_string(section % 1000) + "]";
      file += "\r\n";
      if (section == 10001) break;
      file += "Section " + std::to_string(section) +
              ": a line of text of ordinary length, as a caption has it\r\n";
      file += "and a second line with umlauts, \xE4\xF6\xFC\r\n";
    }
    for (const char* suffix : {"def", "t00"}) {
      FILE* out = std::fopen((Base + suffix).c_str(), "wb");
      std::fwrite(file.data(), 1, file.size(), out);
      std::fclose(out);
    }
    Size = file.size();
  }
  ~TBenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  std::filesystem::path Path;
  std::string Base;
  size_t Size = 0;
};

TBenchFolder& Folder() {
  static TBenchFolder folder;
  return folder;
}

// The baseline: open the file, read all its bytes into memory, close it.
void BM_PlainRead(benchmark::State& state) {
  const std::string path = Folder().Base + "def";
  for (auto _ : state) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    std::fseek(file.get(), 0, SEEK_END);
    std::string bytes(static_cast<size_t>(std::ftell(file.get())), '\0');
    std::fseek(file.get(), 0, SEEK_SET);
    benchmark::DoNotOptimize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
    benchmark::DoNotOptimize(bytes.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Folder().Size));
}
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMicrosecond);

// The parts of the load: text-mode reading, then the walk over the lines.
void BM_ReadLanguageFile(benchmark::State& state) {
  const std::string path = Folder().Base + "def";
  for (auto _ : state) {
    AnsiString text;
    ReadLanguageFile(path, text);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Folder().Size));
}
BENCHMARK(BM_ReadLanguageFile)->Unit(benchmark::kMicrosecond);

void BM_ParseLanguageTexts(benchmark::State& state) {
  AnsiString text;
  ReadLanguageFile(Folder().Base + "def", text);
  for (auto _ : state) {
    auto texts = ParseLanguageTexts(text);
    benchmark::DoNotOptimize(texts.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Folder().Size));
}
BENCHMARK(BM_ParseLanguageTexts)->Unit(benchmark::kMicrosecond);

// The catalogue's whole load: the active texts, the language count and the names.
void BM_CatalogueReload(benchmark::State& state) {
  LanguageServices().ExecutablePath = [] { return Folder().Base + "exe"; };
  WaTrans catalogue;
  if (catalogue.TextCount != 10001) state.SkipWithError("the file did not load");
  for (auto _ : state) {
    catalogue.Reload();
    benchmark::DoNotOptimize(catalogue.Texts.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Folder().Size));
}
BENCHMARK(BM_CatalogueReload)->Unit(benchmark::kMicrosecond);

// A new catalogue: the same load, with every text's memory allocated afresh.
void BM_CatalogueConstruct(benchmark::State& state) {
  LanguageServices().ExecutablePath = [] { return Folder().Base + "exe"; };
  for (auto _ : state) {
    WaTrans catalogue;
    benchmark::DoNotOptimize(catalogue.Texts.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(Folder().Size));
}
BENCHMARK(BM_CatalogueConstruct)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
