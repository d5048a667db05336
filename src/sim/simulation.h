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
// The cheats ride in the input history beside each step's input, in two bits
// that the simulation never reads.
constexpr std::uint8_t kCheatLives = 32;
constexpr std::uint8_t kCheatEnergy = 64;
// The armed byte of a game as the game application starts it: fire held over
// from the title must be released before it acts. Every player of a new game
// (the application, the autopilot, the bubble listing, the trace replay) sets it.
constexpr std::uint8_t kArmedAtNewGame = 0xEF;

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

  // Script instructions that one step may run. The shipped scripts need a few
  // hundred at most; one that loops without waiting would hold the step, and
  // the program with it, for ever, so running out stops the simulation.
  static constexpr int kStepInstructionBudget = 10000;

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
  [[noreturn]] void outOfInstructions(const EntityState& entity, int pc) const;
  void teleport(const Instr& instr);
  std::uint8_t callNative(Native id);
  std::uint8_t takeEnergy();
  void flash();
  ObjectState& object(int index);

  // Touch scripts, objects and fire. The step calls runTouchScripts and fire;
  // the rest are their helpers.
  void runTouchScripts();
  int nearObject() const;
  int findObject() const;
  bool canDrop(int cellX, int y);
  void fire();
  const std::string& bubbleText(const std::string& key) const;

  // Actors, balls and the mover. The step and room entry call findActors,
  // runRoomActors, runPool2 and ballContact; the rest are their helpers.
  void findActors();
  void runRoomActors();
  void runPool2();
  void ballContact();
  void dispatchActor(ActorState& actor);
  void actorBall(ActorState& actor, bool right);
  void actorBallFall(ActorState& actor);
  void actorPatrol(ActorState& actor);
  void actorFollow(ActorState& actor);
  void actorTransfer(ActorState& actor);
  void actorHurtCheck(const ActorState& actor);
  void actorAnimate(ActorState& actor);
  bool actorToward(ActorState& actor, int x, int y);
  std::uint8_t typeByte(int type, int k) const;
  std::uint8_t attrAbs(int x, int y) const;
  std::uint8_t attrBall(const ActorState& ball, int dx, int dy) const;
  void ballHit(int slot, int side);
  void mover();

  // Lifts and the chandelier. The step, room entry and the player's movement
  // call findLift, liftLand, liftStanding, autoLift and chandelier.
  void findLift();
  bool liftLand(int oldY);
  bool liftStanding();
  void liftRide();
  void autoLift();
  void chandelier();
  std::uint8_t stopY(int stop) const;
  std::uint8_t stopRoom(int stop) const;

  // Entities whose step script is running right now; a redraw nested inside a
  // step script does not run those scripts again (it would re-run the very
  // instruction that asked for the redraw, without end).
  std::vector<int> runningScripts_;
  bool sharedRunning_ = false;
  // Script instructions run since the step began, against kStepInstructionBudget.
  int stepInstructions_ = 0;
  // The entities of each room byte, worked out once: the step and touch scripts
  // ask for them every step.
  std::vector<std::vector<int>> roomEntityLists_;
  std::vector<bool> sharedThreadRoom_;
};

}  // namespace sim
