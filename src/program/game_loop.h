#pragma once

// Pieces of the interactive game that live beside its loop: the sound effects
// loaded at start-up, the settings pushed to the front end, and screenshots of
// the presented picture.

#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/settings/settings.h"
#include "audio/music.h"
#include "input/controls.h"
#include "present/audio.h"
#include "present/presenter.h"
#include "render/rgba.h"

namespace game {

constexpr const char* kWindowTitle = "Quillhaven";
constexpr const char* kPrefOrg = "Tumbold";
constexpr const char* kPrefApp = "Quillhaven";
// Frames a screenshot message stays in the window title.
constexpr int kTitleMessageFrames = 210;

constexpr const char* kJumpSound = "Tumbold_jump.wav";
// "energy_%02d.wav" for the energy steps 1 to 20.
std::string energySoundName(unsigned step);

// The jump and the 20 energy-step effects from root/assets/audio; a missing or
// undecodable file only leaves its sound silent.
void loadSounds(present::Audio& audio, const std::filesystem::path& root);

// Pushes the settings to the window (full screen, CRT), the two volumes, the
// music device (under the audio lock when a device is open) and the bindings.
void applySettings(const app::Settings& s, present::Presenter& presenter, present::Audio& audio,
                   audio::Music& music, input::Controls& controls);

// The user's preferences folder, or an empty path when SDL has none.
std::filesystem::path prefsFolder();

// "2026-03-04_17-05-09" for the local time t.
std::string screenshotStamp(std::time_t t);

// The first free name "tumbold_<stamp>[_i].png" (i 1 to 999) in folder; none when all are taken.
std::optional<std::filesystem::path> freeScreenshotPath(const std::filesystem::path& folder,
                                                        const std::string& stamp);

// Writes the picture as a PNG into the first folder that takes it, each tried as
// its "screenshots" sub-folder: the preferences folder, the executable's folder,
// the current folder. The result (path or failure) goes to the log and the window
// title, which the loop restores after titleTimer frames.
std::optional<std::filesystem::path> saveScreenshot(const render::RgbaImage& picture,
                                                    const std::vector<std::filesystem::path>& folders,
                                                    present::Presenter& presenter, int& titleTimer);
std::vector<std::filesystem::path> screenshotFolders();

}  // namespace game
