#pragma once

#include <cstdint>
#include <string>

namespace core {

// One file of the data set compiled into the executable.
struct EmbeddedFile {
  const char* name;           // relative path with "/" separators; null marks the end
  const std::uint8_t* data;   // no terminator of its own: size is authoritative
  std::uint64_t size;
};

// Generated at build time from assets/ and world/, in byte order of the names,
// closed by an entry whose name is null.
extern const EmbeddedFile kEmbeddedFiles[];

// The virtual data root that serves the table: "<embedded>".
extern const char* const kEmbeddedRoot;

// The first entry whose name equals `name` exactly, or null.
const EmbeddedFile* embeddedFile(const std::string& name);

}  // namespace core
