#include <algorithm>
#include <cstdio>
#include <string>

#include "bench.h"

namespace bench {

std::vector<Entry>& registry() {
  static std::vector<Entry> entries;
  return entries;
}

}  // namespace bench

int main(int argc, char** argv) {
  const std::string filter = argc > 1 ? argv[1] : "";
  auto& entries = bench::registry();
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  for (const auto& entry : entries) {
    if (!filter.empty() && entry.name.find(filter) == std::string::npos) continue;
    std::printf("== %s\n", entry.name.c_str());
    entry.run();
  }
  return 0;
}
