#pragma once

#include <cstdint>

namespace core {

enum class LogLevel : std::int32_t { Info = 0, Warn = 1, Error = 2 };

// One diagnostic line on standard error: "[level] message\n".
// Messages carry no newline of their own.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void log(LogLevel level, const char* format, ...);

}  // namespace core
