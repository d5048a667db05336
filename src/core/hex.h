#pragma once

namespace core {

// The value of one hexadecimal digit, either case; -1 for any other character.
inline int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The byte that two hexadecimal digits spell, high digit first; -1 when either
// is no digit.
inline int hexByte(char high, char low) {
  const int h = hexDigit(high);
  const int l = hexDigit(low);
  return h < 0 || l < 0 ? -1 : h * 16 + l;
}

}  // namespace core
