#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "app/game/game_app.h"
#include "app/settings/settings.h"
#include "input/controls.h"
#include "render/rgba.h"
#include "ui/menu.h"
#include "ui/menu_art.h"
#include "ui/slot_info.h"

namespace app {

// Joins the pause menu to the game application and to the preferences folder:
// the settings file, the quick save and eight numbered save slots, each with a
// thumbnail beside it. The game loop (or scripted play) hands it the commands
// raised while the menu is closed, and the navigation and captured keys or
// buttons while it is open; it carries out what the menu decides. With an empty
// folder nothing is read or kept.
class PauseFlow {
 public:
  static constexpr int kSlots = 8;  // numbered slots; slot 0 is the quick save

  PauseFlow(GameApp& app, const ui::MenuArt& art, std::filesystem::path folder);
  // The menu asks this object for its slot list.
  PauseFlow(const PauseFlow&) = delete;
  PauseFlow& operator=(const PauseFlow&) = delete;

  // folder/"quicksave.json" for slot 0, folder/"saves"/"slot_N.json" for N;
  // empty without a folder.
  std::filesystem::path slotPath(int slot) const;
  // Always nine entries, slot 0 first. A slot whose save and picture keep the
  // size and modification time they had at the last listing is not read again.
  std::vector<ui::SlotInfo> listSlots() const;
  // The game view of a 348-wide framed picture reduced to the thumbnail size;
  // an empty picture for any other frame.
  render::RgbaImage thumbnail(const render::RgbaImage& frame) const;

  // A command raised while the menu is closed; frame is the picture just composed.
  void command(input::Command command, const render::RgbaImage& frame);
  void nav(input::Nav nav);
  void key(SDL_Scancode key);
  void button(SDL_GameControllerButton button);
  // The window's full-screen state after the player toggled it outside the
  // menu (F11, Alt+Enter), also while the menu is open: kept in the settings,
  // their file and the menu's copy.
  void setFullscreen(bool on);

  GameApp& app;
  const ui::MenuArt& art;
  std::filesystem::path folder;
  Settings settings;
  bool settingsChanged = false;  // the game loop applies the settings and clears it
  ui::Menu menu;

 private:
  bool playable() const;
  std::filesystem::path settingsPath() const;
  void saveSettingsFile(bool report);
  // Carries out the menu's queued outcomes.
  void afterInput();

  // The settings file was there but could not be used; it is kept aside
  // before the first write.
  bool unusableSettingsFile_ = false;
  // The player was told that it could not be kept, so nothing is written.
  bool toldSettingsNotSaved_ = false;

  // A file as a listing saw it.
  struct FileStamp {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const FileStamp& o) const { return size == o.size && time == o.time; }
  };
  static std::optional<FileStamp> stampOf(const std::filesystem::path& p);
  // What a slot showed at its last listing, and its files then.
  struct ListedSlot {
    FileStamp save;
    std::optional<FileStamp> picture;
    ui::SlotInfo info;
  };
  mutable std::array<std::optional<ListedSlot>, kSlots + 1> listed_;
  ui::SlotInfo readSlot(int slot) const;
};

}  // namespace app
