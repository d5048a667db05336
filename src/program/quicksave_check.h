#pragma once

// The quick-save check of scripted play: a saved game is only its input
// history, so it is right only when the file gives the history back exactly
// and a fresh game replaying it arrives at the same game.

#include <filesystem>

#include "app/game/game_app.h"
#include "modes.h"

// Writes the played history to folder/quicksave_check.json, reads it back,
// replays it in a new application made from the same content, program,
// graphics and HUD, and compares game state, indexed frame and composed
// screen; logs one result line when the comparisons ran. True when all three
// are equal.
bool checkQuickSave(const Data& data, const app::GameApp& played, const sim::Content& content,
                    const sim::ScriptProgram& program, const render::GameGraphics& graphics,
                    const render::HudScreen* hud, const std::filesystem::path& folder);
