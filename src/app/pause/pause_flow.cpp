// The pause flow: commands and menu input in, saves, loads, settings and
// cheats out, and the slot list the menu shows.

#include "app/pause/pause_flow.h"

#include <chrono>
#include <string>
#include <system_error>
#include <utility>

#include "app/game/quick_save.h"
#include "core/log.h"

namespace app {

namespace fs = std::filesystem;

namespace {

// Whether a picture is at p; a path whose status cannot be read counts as empty.
bool somethingAt(const fs::path& p) {
  if (p.empty()) return false;
  std::error_code error;
  const fs::file_status status = fs::status(p, error);
  return !error && status.type() != fs::file_type::not_found && status.type() != fs::file_type::none;
}

// The file's modification time in seconds since the epoch, 0 when unknown.
std::int64_t fileTime(const fs::path& p) {
  std::error_code error;
  const fs::file_time_type written = fs::last_write_time(p, error);
  if (error) return 0;
  const auto system = std::chrono::system_clock::now() +
                      std::chrono::duration_cast<std::chrono::system_clock::duration>(
                          written - fs::file_time_type::clock::now());
  return std::chrono::duration_cast<std::chrono::seconds>(system.time_since_epoch()).count();
}

fs::path picturePathOf(fs::path save) { return save.replace_extension(".png"); }

}  // namespace

PauseFlow::PauseFlow(GameApp& app_, const ui::MenuArt& art_, fs::path folder_)
    : app(app_),
      art(art_),
      folder(std::move(folder_)),
      menu(art_, [this] { return listSlots(); }) {
  settings = loadSettings(settingsPath(), unusableSettingsFile_);
  app.quickSavePath = slotPath(0);
}

fs::path PauseFlow::settingsPath() const { return folder.empty() ? fs::path() : folder / "settings.json"; }

fs::path PauseFlow::slotPath(int slot) const {
  if (folder.empty()) return fs::path();
  if (slot == 0) return folder / "quicksave.json";
  return folder / "saves" / ("slot_" + std::to_string(slot) + ".json");
}

std::optional<PauseFlow::FileStamp> PauseFlow::stampOf(const fs::path& p) {
  std::error_code error;
  if (p.empty() || !fs::is_regular_file(fs::status(p, error))) return std::nullopt;
  FileStamp stamp;
  stamp.size = fs::file_size(p, error);
  if (!error) stamp.time = fs::last_write_time(p, error);
  if (error) return std::nullopt;
  return stamp;
}

std::vector<ui::SlotInfo> PauseFlow::listSlots() const {
  std::vector<ui::SlotInfo> slots;
  for (int slot = 0; slot <= kSlots; ++slot) {
    const fs::path p = slotPath(slot);
    // Taken before the files are read, so that a change made meanwhile shows
    // at the next listing.
    const std::optional<FileStamp> save = stampOf(p);
    const std::optional<FileStamp> picture = save ? stampOf(picturePathOf(p)) : std::nullopt;
    std::optional<ListedSlot>& listed = listed_[static_cast<std::size_t>(slot)];
    if (save && listed && listed->save == *save && listed->picture == picture) {
      slots.push_back(listed->info);
      continue;
    }
    listed.reset();
    ui::SlotInfo info = readSlot(slot);
    // Only regular files are remembered: anything else is cheap to look at
    // again, and may change without a time of its own.
    if (save) listed = ListedSlot{*save, picture, info};
    slots.push_back(std::move(info));
  }
  return slots;
}

ui::SlotInfo PauseFlow::readSlot(int slot) const {
  ui::SlotInfo info;
  const fs::path p = slotPath(slot);
  info.exists = somethingAtSavePath(p);
  if (!info.exists) return info;
  // Only what the menu shows is read: the save's header, not its history, and
  // not a picture of another size.
  const std::optional<QuickSave> save = peekQuickSave(p);
  info.readable = save.has_value();
  if (!info.readable) return info;
  info.time = save->savedAt != 0 ? save->savedAt : fileTime(p);
  const fs::path picturePath = picturePathOf(p);
  if (somethingAt(picturePath))
    info.thumbnail = render::loadRgbaPngOfSize(picturePath, art.emptyThumb.width, art.emptyThumb.height);
  return info;
}

render::RgbaImage PauseFlow::thumbnail(const render::RgbaImage& frame) const {
  if (frame.width != render::kHudWidth) return render::RgbaImage{};
  return ui::shrink(frame, ui::kGameView, art.emptyThumb.width, art.emptyThumb.height);
}

bool PauseFlow::playable() const {
  return app.stopReason.empty() &&
         (app.mode == GameApp::kModePlay || app.mode == GameApp::kModeBubble || app.mode == GameApp::kModeFadeBlack);
}

void PauseFlow::command(input::Command command, const render::RgbaImage& frame) {
  switch (command) {
    case input::Command::QuickSave:
      // A save written within the file system's time step, of the same size,
      // would pass for the one listed before.
      listed_[0].reset();
      app.requestQuickSave(thumbnail(frame));
      break;
    case input::Command::QuickLoad:
      if (!playable()) break;
      if (somethingAtSavePath(slotPath(0)))
        menu.openQuickLoad(settings);
      else
        app.showNotice({"NO QUICK SAVE YET"});
      break;
    case input::Command::Pause:
      if (playable()) menu.open(settings, app.mode == GameApp::kModePlay, thumbnail(frame));
      break;
    default:
      break;  // screenshots are the game loop's own
  }
}

void PauseFlow::nav(input::Nav n) {
  if (n == input::Nav::None || !menu.isOpen()) return;
  menu.input(n);
  afterInput();
}

void PauseFlow::key(SDL_Scancode scancode) {
  menu.capturedKey(scancode);
  afterInput();
}

void PauseFlow::button(SDL_GameControllerButton b) {
  menu.capturedButton(b);
  afterInput();
}

void PauseFlow::setFullscreen(bool on) {
  // The menu's copy follows the window too: its settings view shows the
  // window as it is, and the next change made there must not undo the toggle.
  menu.settings.fullscreen = on;
  if (settings.fullscreen == on) return;
  settings.fullscreen = on;
  saveSettingsFile(false);
}

void PauseFlow::saveSettingsFile(bool report) {
  if (folder.empty()) return;
  const fs::path file = settingsPath();
  if (unusableSettingsFile_) {
    // The player's file could not be used (one bad value makes it so), yet it
    // may hold bindings worth having: before the first write replaces it, it
    // is kept beside itself, the latest such file only, to be mended by hand.
    fs::path kept = file;
    kept += ".bad";
    std::error_code error;
    fs::rename(file, kept, error);
    if (!error) {
      core::log(core::LogLevel::Warn, "settings: the unusable %s is kept as %s", file.string().c_str(),
                kept.string().c_str());
    } else if (fs::symlink_status(file, error).type() != fs::file_type::not_found) {
      core::log(core::LogLevel::Error, "settings: %s cannot be kept as %s, so it is not replaced",
                file.string().c_str(), kept.string().c_str());
      // Every change from now on is lost with the run: the player must know.
      if (!toldSettingsNotSaved_) {
        toldSettingsNotSaved_ = true;
        const std::vector<std::string> lines{"SETTINGS NOT SAVED", "THE FILE COULD NOT BE WRITTEN"};
        if (menu.isOpen())
          menu.message(lines[0], lines[1]);
        else
          app.showNotice(lines);
      }
      return;
    }
    // Otherwise it went away before it could be kept: there is nothing left to keep.
    unusableSettingsFile_ = false;
  }
  if (!saveSettings(file, settings) && report)
    core::log(core::LogLevel::Error, "settings: could not write %s", file.string().c_str());
}

void PauseFlow::afterInput() {
  std::vector<ui::Menu::Event> events = std::move(menu.events);
  menu.events.clear();
  for (const ui::Menu::Event& e : events) {
    switch (e.kind) {
      case ui::Menu::kEventSave:
        if (e.slot >= 0 && e.slot <= kSlots) listed_[static_cast<std::size_t>(e.slot)].reset();
        if (app.saveGame(slotPath(e.slot), menu.thumbnail))
          menu.message("SAVED TO SLOT " + std::to_string(e.slot), "");
        else
          menu.message("SAVE FAILED",
                       fitsQuickSave(app.history) ? "THE FILE COULD NOT BE WRITTEN" : GameApp::kTooLongToSave);
        break;
      case ui::Menu::kEventLoad: {
        std::string error;
        if (app.loadGame(slotPath(e.slot), error)) {
          menu.close();
        } else if (playable()) {
          menu.message("LOAD FAILED", error);
        } else {
          menu.close();
          app.showNotice({"LOAD FAILED", error});
        }
        break;
      }
      case ui::Menu::kEventQuit:
        app.quitToTitle();
        menu.close();
        break;
      case ui::Menu::kEventSettings:
        settings = menu.settings;
        saveSettingsFile(true);
        settingsChanged = true;
        break;
      case ui::Menu::kEventCheats:
        app.cheats = menu.cheats;
        break;
      default:
        break;
    }
  }
  if (!menu.isOpen()) app.waitRelease = true;
}

}  // namespace app
