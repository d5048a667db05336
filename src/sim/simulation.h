#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "sim/content.h"
#include "sim/game_state.h"
#include "sim/page_op.h"
#include "sim/script_program.h"

namespace world {
struct World;
struct Exit;
}  // namespace world

namespace sim {

// Input byte bits, one byte per step.
constexpr std::uint8_t kInputUp = 1;
constexpr std::uint8_t kInputDown = 2;
constexpr std::uint8_t kInputLeft = 4;
constexpr std::uint8_t kInputRight = 8;
constexpr std::uint8_t kInputFire = 16;

// The DOS game's logic, stepped once per DOS frame from one input byte. Owners
// read state, ops and error directly; ops is drained by the caller after each half
// step.
class Simulation {
 public:
  // The one exception of the simulation: a situation it does not model.
  class NotModelled {
   public:
    explicit NotModelled(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    const char* what() const { return text_.c_str(); }

   private:
    std::string text_;
  };

  Simulation(const Content& content, ScriptProgram program);

  // Resets state to a new game; ops and alive stay as they are.
  void newGame();
  // The two halves of one step, called once each per step in this order. False
  // when the simulation is stopped (then nothing ran).
  bool beginStep(std::uint8_t input);
  bool endStep();

  const Content* content;
  const world::World* world;
  ScriptProgram program;
  std::vector<std::uint16_t> roomTiles;   // room r, row, column at r*200 + row*20 + col
  std::vector<std::uint8_t> typeBytes;    // the DOS game's actor-type table
  std::vector<std::uint8_t> stopBytes;    // the DOS game's lift-stop table
  GameState state;
  bool alive = false;                     // the last step read its input
  std::vector<PageOp> ops;
  std::string error;                      // the stop text once stopped

 private:
  friend struct SimulationProbe;  // white-box access for the tests

  // Lifecycle and step order.
  void step(std::uint8_t input);
  void enterRoom();
  void takeCheckpoint();
  bool won() const;
  bool fadeStep();
  bool fadeOneFrame();
  std::uint8_t rng();
  std::uint8_t neighbour(const world::Exit& exit) const;
  [[noreturn]] void notModelled(const std::string& text) const;
  void afterWait();
  std::uint8_t exitRoom(int direction) const;  // neighbour() of the room's exit 0..3

  // Tile-cache pages and drawing operations.
  void resetCache();
  void drawGfx(int list, int cellX, int cellY);
  void redrawOnce();
  void redraw();
  void drawWorld();
  void logPanel();
  std::vector<PageItem> inventoryItems() const;
  void logInventory();
  void flipPages();
  void runStepScripts();
  bool roomEntities(std::vector<int>& out) const;
  void bubble(int x, int y, int tail, const std::string& text);
  void say(int width, const std::string& text);
  void emit(PageOpKind kind, int a = 0, int b = 0, int c = 0, int d = 0);
  bool scriptRunning(int entity) const;

  // Player movement and state machine.
  std::pair<int, std::uint8_t> attrTile(int dx, int dy) const;
  std::uint8_t attr(int dx, int dy) const;
  int vertical();
  bool canJump() const;
  bool stepX(bool left);
  void dispatch();
  void idle();
  void stateStand();
  void stateWalk();
  void stateJump();
  void stateHurt();
  void stateStop();
  void stateRideRise();
  void stateDismount(bool right);
  void stateDying();
  void stateBat(int dir);
  void stateRideStart(int dx, int dir);
  void stateRideClimb(bool right);
  void stateRide(bool right);

  // Script interpreter and natives.
  int run(EntityState& entity, int pc);
  void teleport(const Instr& instr);
  std::uint8_t callNative(Native id);
  std::uint8_t takeEnergy();
  void flash();
  ObjectState& object(int index);

  // Touch scripts, objects and fire.
  void runTouchScripts();
  int nearObject() const;
  void fire();

  // Actors, balls and the mover.
  void findActors();
  void runRoomActors();
  void runPool2();
  void ballContact();

  // Lifts and the chandelier.
  void findLift();
  bool liftLand(int oldY);
  bool liftStanding();
  void autoLift();
  void chandelier();

  // Entities whose step script is running right now; a redraw nested inside a
  // step script does not run those scripts again (it would re-run the very
  // instruction that asked for the redraw, without end).
  std::vector<int> runningScripts_;
  bool sharedRunning_ = false;
  // roomEntities() of each room byte, worked out once: the step scripts ask for
  // them every step.
  std::vector<std::vector<int>> roomEntityLists_;
  std::vector<bool> sharedThreadRoom_;
};

}  // namespace sim
