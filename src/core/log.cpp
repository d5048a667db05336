#include "core/log.h"

#include <cstdarg>
#include <cstdio>

namespace core {

namespace {

const char* levelName(LogLevel level) {
  switch (static_cast<std::int32_t>(level)) {
    case 0: return "info";
    case 1: return "warn";
    default: return "error";
  }
}

}  // namespace

void log(LogLevel level, const char* format, ...) {
  std::fprintf(stderr, "[%s] ", levelName(level));
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
  std::fputc('\n', stderr);
}

}  // namespace core
