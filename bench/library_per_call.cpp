// The yardstick of the component's benchmark (bench/component_bench.sh):
// the Linux library's time per Summarize call (20 %, text) with one loaded
// Dictionary, on the same texts and with the same method as the Windows
// client: the fastest of five batches after a warm-up.
//
//   vellumtrace_library_per_call DICTIONARY SECONDS TEXT...
//
// Texts are UTF-8. One line per text: "library NAME UNITS MICROSECONDS",
// UNITS being the text's length in UTF-16 units as the component sees it.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "vellumtrace/summarize.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

size_t Utf16Units(const std::string& utf8) {
  size_t units = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xc0) != 0x80) units += c >= 0xf0 ? 2 : 1;
  }
  return units;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: vellumtrace_library_per_call DICTIONARY SECONDS TEXT...\n");
    return 2;
  }
  auto dictionary = vellumtrace::Dictionary::Load(argv[1]);
  if (!dictionary.ok()) {
    std::fprintf(stderr, "cannot load %s\n", argv[1]);
    return 1;
  }
  const double seconds = std::atof(argv[2]);
  vellumtrace::Options options;
  options.percent = 20;
  for (int i = 3; i < argc; ++i) {
    std::ifstream file(argv[i], std::ios::binary);
    if (!file) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 1;
    }
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    size_t sink = 0;
    const auto call = [&] {
      auto summary = vellumtrace::Summarize(*dictionary, text, options);
      sink += summary.ok() ? summary->text.size() : 0;
    };
    for (int warm = 0; warm < 3; ++warm) call();
    auto start = Clock::now();
    long calls = 0;
    while (SecondsSince(start) < seconds / 20 || calls < 1) {
      call();
      ++calls;
    }
    const long perBatch = std::max(1L, calls * 4);
    std::vector<double> batches;
    for (int batch = 0; batch < 5; ++batch) {
      start = Clock::now();
      for (long c = 0; c < perBatch; ++c) call();
      batches.push_back(SecondsSince(start) / static_cast<double>(perBatch));
    }
    std::sort(batches.begin(), batches.end());
    std::string name = argv[i];
    name = name.substr(name.find_last_of('/') + 1);
    std::printf("library %s %zu %.2f%s\n", name.c_str(), Utf16Units(text),
                batches[0] * 1e6, sink == 0 ? " (empty results)" : "");
  }
  return 0;
}
