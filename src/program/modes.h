#pragma once

// The content bundle that main loads once, and one entry per mode. Each mode
// lives in its own mode_*.cpp.

#include <filesystem>
#include <string>

#include "app/trace/trace_replay.h"
#include "assets/palette.h"
#include "assets/tile_set.h"
#include "sim/content.h"
#include "sim/script_program.h"
#include "world/world.h"

// Loaded in this order: palette, tile set, world. Owned by main for the whole run.
struct Data {
  assets::Palette palette;
  assets::TileSet tiles;
  world::World world;
};

// The simulation's view of a Data; it points into data.world, so the Data must outlive it.
sim::Content simContent(const Data& data);

// Modes that need no Data.
int runCrtTest(const std::string& inputPng, const std::filesystem::path& outFolder);
int runOplReplay(const std::filesystem::path& root, const std::string& log, const std::string& out,
                 bool beeper);
int runTuneRender(const std::filesystem::path& root, int tune, double seconds, const std::string& out,
                  bool beeper);

// Modes on the loaded Data.
bool renderGoldens(const Data& data, const std::filesystem::path& folder);
int runReplay(const Data& data, const std::string& traceFolder, const app::ReplayOptions& options);
int renderScreens(const Data& data, const std::filesystem::path& root, const std::filesystem::path& folder);
int runAutopilotMode(const sim::Content& content, const sim::ScriptProgram& program,
                     const std::filesystem::path& route, const std::filesystem::path& out,
                     const std::filesystem::path& resume, int fromLine);
int listBubbles(const Data& data, const std::string& steps, const std::string& out);
int runViewer(const Data& data, int quitAfterFrames);
int runGame(const Data& data, const std::filesystem::path& root, int quitAfterFrames, int pressF1At,
            bool windowed);
int runScript(const Data& data, const std::filesystem::path& root, const std::string& script,
              const std::string& captureAt, const std::string& out, bool checkQuickSave,
              const std::string& startSteps, int startCount);
bool renderRoomPng(const Data& data, int room, const std::filesystem::path& out);
