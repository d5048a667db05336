#pragma once

// A saved game: the input history since the new game, one byte per play step,
// with the time of saving and six values of the state after the last step that
// loading checks its replay against. The quick save and the eight save slots
// all hold this one format.

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

namespace app {

struct QuickSave {
  std::vector<std::uint8_t> keys;  // one input byte per step, cheat bits included
  std::int64_t savedAt = 0;        // seconds since the epoch, as time() gives them
  std::array<int, 6> check{};      // room, x, y, score, lives, energy
};

// The JSON format tag and version of a save file.
constexpr const char* kQuickSaveFormat = "tumbold-quicksave";
constexpr int kQuickSaveVersion = 2;

// Whether a history is short enough for a save: readQuickSave refuses one of
// more than sim::kMaxHistorySteps steps.
bool fitsQuickSave(const std::vector<std::uint8_t>& keys);

// Writes the save as compact JSON with sorted keys, the history as runs of equal
// non-zero bytes; creates the parent folder. The result is core::writeFile's,
// except that a history that does not fit is refused with an error line and
// nothing written.
bool writeQuickSave(const std::filesystem::path& path, const QuickSave& save);

// Nothing, silently, for a missing or unreadable file; nothing with one error
// line for a file that is no save of a known version, or is damaged.
std::optional<QuickSave> readQuickSave(const std::filesystem::path& path);

// Whether anything is at a save's path: everything but a missing file counts,
// a link that leads nowhere, a loop of links or a path whose status cannot be
// read included, so that such a slot shows as an unreadable save and is not
// written over unasked.
bool somethingAtSavePath(const std::filesystem::path& path);

// The header of a save, for a listing of the slots that shows whether a save
// can be read and when it was made: readQuickSave's answer, time, check values
// and log lines, except that the runs of the history are neither read nor
// built (keys stays empty); a save whose runs are damaged is refused when it
// is loaded.
std::optional<QuickSave> peekQuickSave(const std::filesystem::path& path);

}  // namespace app
