#include "trace_fixture.h"

#include <fstream>
#include <sstream>

namespace tracetest {

std::vector<Json> readRows(const fs::path& folder) {
  std::ifstream in(folder / "state.jsonl");
  std::vector<Json> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) rows.push_back(Json::parse(line));
  }
  return rows;
}

void writeRows(const fs::path& folder, const std::vector<Json>& rows, bool blankLines) {
  std::ofstream out(folder / "state.jsonl", std::ios::trunc);
  for (const Json& row : rows) out << row.dump() << (blankLines ? "\n\n" : "\n");
}

std::vector<std::uint8_t> readSnapshot(const fs::path& folder, std::size_t row) {
  std::ifstream in(folder / "dgroup.bin", std::ios::binary);
  in.seekg(static_cast<std::streamoff>(row * kSnapshotSize));
  std::vector<std::uint8_t> bytes(kSnapshotSize);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

void writeSnapshot(const fs::path& folder, std::size_t row, const std::vector<std::uint8_t>& snapshot) {
  std::fstream io(folder / "dgroup.bin", std::ios::binary | std::ios::in | std::ios::out);
  io.seekp(static_cast<std::streamoff>(row * kSnapshotSize));
  io.write(reinterpret_cast<const char*>(snapshot.data()), static_cast<std::streamsize>(snapshot.size()));
}

}  // namespace tracetest
