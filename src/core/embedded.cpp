#include "core/embedded.h"

#include <cstring>

namespace core {

const EmbeddedFile* embeddedFile(const std::string& name) {
  for (const EmbeddedFile* entry = kEmbeddedFiles; entry->name != nullptr; ++entry) {
    const std::size_t length = std::strlen(entry->name);
    if (length == name.size() && std::memcmp(entry->name, name.data(), length) == 0) return entry;
  }
  return nullptr;
}

}  // namespace core
