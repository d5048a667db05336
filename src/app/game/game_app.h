#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "render/framebuffer.h"
#include "render/game_graphics.h"
#include "render/game_renderer.h"
#include "render/hud_screen.h"
#include "render/rgba.h"
#include "sim/content.h"
#include "sim/game_state.h"
#include "sim/page_op.h"
#include "sim/script_program.h"
#include "sim/simulation.h"

namespace app {

// 6-bit RGB of the 16 colours, as the simulation keeps its palettes.
using Palette48 = std::array<std::uint8_t, 48>;

// The whole game as the player sees it, without a window: title screen, fades,
// play with speech-bubble waits and teleport fades, ending and game over. The
// game loop calls tick once per simulation tick, drains the two request
// queues and calls compose once per presented frame; tools drive it the same
// way. Its members are read directly by the loop, the pause flow and the tools.
class GameApp {
 public:
  // A sound-effect request: kind 0 the jump (n 0), kind 1 an energy step (n 1..20).
  struct Sound {
    std::uint32_t kind = 0;
    std::uint32_t n = 0;
  };

  // A music request: kind 1 ticks the driver now with flag; any other kind
  // starts tune with flag.
  struct MusicCommand {
    std::uint32_t kind = 0;
    std::uint8_t tune = 0;
    std::uint8_t flag = 0;
  };

  // The fire-key wait of shown screens and speech bubbles, stepped once per tick.
  struct FireWait {
    std::uint32_t state = 0;  // 0..4
    std::int32_t frames = 0;  // ticks counted in states 1 and 4, never reset between them

    // True on the tick the wait ends.
    bool step(bool fire, int minFrames, bool needRelease);
  };

  // Modes of the application.
  static constexpr std::uint32_t kModeScreen = 0;
  static constexpr std::uint32_t kModePlay = 1;
  static constexpr std::uint32_t kModeBubble = 2;
  static constexpr std::uint32_t kModeFadeOut = 3;
  static constexpr std::uint32_t kModeFadeBlack = 4;

  // What follows a fade out.
  static constexpr std::uint32_t kNextNewGame = 1;
  static constexpr std::uint32_t kNextTitle = 2;

  // Cheat bits, kept in the input history beside each step's input.
  static constexpr std::uint8_t kCheatLives = sim::kCheatLives;
  static constexpr std::uint8_t kCheatEnergy = sim::kCheatEnergy;
  // The input bits that reach the simulation: all but the cheats.
  static constexpr std::uint8_t kSimInputMask = static_cast<std::uint8_t>(~(kCheatLives | kCheatEnergy));

  // Ticks a notice stays on the picture.
  static constexpr int kNoticeTicks = 140;
  // Ticks of the inventory slide (slideFrame 0..kSlideTicks - 1).
  static constexpr int kSlideTicks = 18;

  // hud null: compose gives the raw 320 x 200 picture. Content, graphics and
  // HUD are borrowed and must outlive the application.
  GameApp(const sim::Content& content, const sim::ScriptProgram& program, const render::GameGraphics& gfx,
          const render::HudScreen* hud);

  // One simulation tick with the held input byte and the back (Escape) flag.
  // False only when the player quits from the title screen.
  bool tick(std::uint8_t keys, bool back);
  // The mode machine of one tick (tick adds the panel animations).
  bool step(std::uint8_t keys, bool back);

  void showScreen(const std::string& screen, const std::string& page, bool isTitle, std::uint8_t tune);
  void startGame();
  // The simulation's part of startGame: a new game in s, without the
  // operations of the game before and with fire to be released first.
  static void newGameIn(sim::Simulation& s);
  void quitToTitle();
  // Moves shownPal up to 4 units per component toward target; false when it
  // was already there.
  bool fadeToward(const Palette48& target);

  // Play (one tick of mode 1) and the playback of page operations.
  void playStep(std::uint8_t keys, bool back);
  void playBack();
  void applyCheats(std::uint8_t bits);
  void applyCheats(sim::GameState& state, std::uint8_t bits) const;
  void soundCmd(std::uint8_t tune);
  Palette48 shownPalette(const sim::GameState& state);
  void updateShownEnergy();
  void updateInventorySlide();

  // The picture of this moment: 348 x 240 with a HUD, else 320 x 200.
  void compose(render::RgbaImage& out) const;
  // A notice over the picture for kNoticeTicks ticks, replacing any other.
  void notice(std::vector<std::string> lines);
  void showNotice(std::vector<std::string> lines);

  // Saving and loading. A save is the input history with six check values of
  // the state and, beside it (extension ".png"), the picture when its width is
  // above 0. Saving is refused (false, nothing written) outside play, in a
  // stopped game or without a path, and with an error line for a history
  // longer than a save holds (app::fitsQuickSave).
  bool saveGame(const std::filesystem::path& path, const render::RgbaImage& picture);
  // Saves to quickSavePath and says how it went in a notice.
  void requestQuickSave(const render::RgbaImage& picture);
  // Under "SAVE FAILED", why a history too long for a save was not saved.
  static constexpr const char* kTooLongToSave = "THE GAME IS TOO LONG TO SAVE";
  // Replays the save from a new game. On failure (a file that is missing or
  // no save, a history that does not replay) the running game stays exactly
  // as it was; error receives the player's reason.
  bool loadGame(const std::filesystem::path& path, std::string& error);
  // A new game replayed through keys at once, without pictures, bubbles or
  // fades, beside the running game, which it replaces only once every key has
  // replayed; false, with the running game untouched, when the game ends or
  // the simulation stops before the last key.
  bool loadHistory(const std::vector<std::uint8_t>& keys);

  // The panel view of the shown page.
  const render::PanelView& shownPanel() const;

  const sim::Content* content;
  const render::GameGraphics* gfx;
  const render::HudScreen* hud;
  sim::Simulation sim;
  render::GameRenderer renderer;
  render::Framebuffer frame;  // a shown screen, or the composed play view
  bool screenShown = true;
  Palette48 shownPal{};
  Palette48 fadeTarget{};
  Palette48 fadeFrom{};
  Palette48 lastBase{};
  Palette48 lastCurrent{};
  bool fastFade = false;
  std::deque<sim::PageOp> pending;
  std::optional<sim::PageOp> bubble;
  std::vector<std::uint8_t> bubbleCover;
  std::uint32_t mode = kModeScreen;
  std::uint32_t next = kNextNewGame;
  bool titleShown = true;
  FireWait fireWait;
  bool firstFrameDone = false;
  std::string stopReason;
  std::filesystem::path quickSavePath;
  std::vector<std::uint8_t> history;
  std::uint8_t cheats = 0;
  bool waitRelease = false;
  std::vector<std::string> noticeLines;
  int noticeFrames = 0;
  render::Framebuffer titleOverlay;
  double shownEnergy = 0.0;
  int lastInventory[3] = {-1, -1, -1};
  int slideOld[3] = {-1, -1, -1};
  int slideNew = -1;
  int slideFrame = -1;
  std::vector<Sound> soundQueue;
  std::int8_t lastMusic = -1;
  std::vector<MusicCommand> musicQueue;
};

// The palette of a 48-byte 6-bit RGB table.
assets::Palette toPalette(const Palette48& rgb);

}  // namespace app
