#include <SDL.h>

#include <cstdio>
#include <system_error>

#include "core/files.h"
#include "core/log.h"
#include "game_loop.h"

namespace fs = std::filesystem;

namespace game {

namespace {

// SDL hands out folder names it allocated; an empty path when it has none.
fs::path takeSdlPath(char* text) {
  if (!text) return fs::path();
  fs::path p(text);
  SDL_free(text);
  return p;
}

bool fileExists(const fs::path& p) {
  std::error_code error;
  return fs::exists(p, error) && !error;
}

}  // namespace

std::string energySoundName(unsigned step) {
  char name[32];
  std::snprintf(name, sizeof name, "energy_%02u.wav", step);
  return name;
}

void loadSounds(present::Audio& audio, const fs::path& root) {
  const fs::path folder = root / "assets" / "audio";
  if (auto bytes = core::readFile(folder / kJumpSound)) audio.load(kJumpSound, *bytes);
  for (unsigned n = 1; n <= 20; ++n) {
    const std::string name = energySoundName(n);
    if (auto bytes = core::readFile(folder / "energy" / name)) audio.load(name, *bytes);
  }
}

void applySettings(const app::Settings& s, present::Presenter& presenter, present::Audio& audio,
                   audio::Music& music, input::Controls& controls) {
  presenter.setFullscreen(s.fullscreen);
  presenter.crt = s.crt;
  audio.setVolumes(static_cast<float>(s.soundVolume) / static_cast<float>(app::kMaxVolume),
                   static_cast<float>(s.musicVolume) / static_cast<float>(app::kMaxVolume));
  const SDL_AudioDeviceID device = audio.device();
  if (device != 0) SDL_LockAudioDevice(device);
  music.setDevice(s.audio == 1 ? audio::Music::Device::Speaker : audio::Music::Device::AdLib);
  if (device != 0) SDL_UnlockAudioDevice(device);
  controls.bindings = s.bindings;
}

fs::path prefsFolder() { return takeSdlPath(SDL_GetPrefPath(kPrefOrg, kPrefApp)); }

std::string screenshotStamp(std::time_t t) {
  char stamp[64] = {};
  const std::tm* local = std::localtime(&t);
  if (!local || std::strftime(stamp, sizeof stamp, "%Y-%m-%d_%H-%M-%S", local) == 0) return "unknown-time";
  return stamp;
}

std::optional<fs::path> freeScreenshotPath(const fs::path& folder, const std::string& stamp) {
  for (int i = 0; i <= 999; ++i) {
    const std::string suffix = i > 0 ? "_" + std::to_string(i) : std::string();
    fs::path candidate = folder / ("tumbold_" + stamp + suffix + ".png");
    if (!fileExists(candidate)) return candidate;
  }
  return std::nullopt;
}

std::vector<fs::path> screenshotFolders() {
  std::vector<fs::path> folders;
  const fs::path prefs = prefsFolder();
  if (!prefs.empty()) folders.push_back(prefs / "screenshots");
  const fs::path base = takeSdlPath(SDL_GetBasePath());
  if (!base.empty()) folders.push_back(base / "screenshots");
  folders.push_back(fs::path("screenshots"));
  return folders;
}

std::optional<fs::path> saveScreenshot(const render::RgbaImage& picture, const std::vector<fs::path>& folders,
                                       present::Presenter& presenter, int& titleTimer) {
  const std::string stamp = screenshotStamp(std::time(nullptr));
  std::optional<fs::path> saved;
  for (const fs::path& folder : folders) {
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    const std::optional<fs::path> path = freeScreenshotPath(folder, stamp);
    if (path && render::saveRgbaPng(*path, picture)) {
      saved = path;
      break;
    }
  }
  titleTimer = kTitleMessageFrames;
  if (!saved) {
    core::log(core::LogLevel::Error, "screenshot: no folder could be written");
    presenter.setTitle("Quillhaven - SCREENSHOT FAILED");
    return std::nullopt;
  }
  core::log(core::LogLevel::Info, "screenshot: %s", saved->string().c_str());
  presenter.setTitle((std::string(kWindowTitle) + " - screenshot saved: " + saved->string()).c_str());
  return saved;
}

}  // namespace game
