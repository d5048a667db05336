#pragma once

// A small valid world document and a loader harness that writes it into a
// temporary folder and captures the loader's error lines.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "support/scratch_dir.h"
#include "world/world.h"

namespace world_test {

using nlohmann::json;

inline std::string row(int first) {
  std::string text;
  for (int c = 0; c < 20; ++c) text += (c ? " " : "") + std::to_string(first + c);
  return text;
}

inline json roomRows(int first) {
  json rows = json::array();
  for (int r = 0; r < 10; ++r) rows.push_back(row(first + r * 20));
  return rows;
}

inline json validWorld() {
  json w;
  w["format"] = "tumbold-world";
  w["schema"] = 8;
  w["room_size"] = {20, 10};
  w["rooms"] = json::array({
      {{"id", 2},
       {"name", "HALL"},
       {"tiles", roomRows(0)},
       {"exits", {{"up", nullptr}, {"down", 3}, {"left", {{"door", 1}}}, {"right", nullptr}}}},
      {{"tiles", roomRows(500)},
       {"exits", {{"up", 2}, {"down", nullptr}, {"left", nullptr}, {"right", nullptr}}}},
  });
  w["screens"] = {{"title", {{"room", 1}, {"header", {row(1), row(2), "ignored"}}, {"note", "x"}}}};
  w["doors"] = json::array({{{"room", 2}, {"raw_x", 40}, {"raw_y", 96}, {"x", 1}},
                            {{"room", 3}, {"raw_x", 8}, {"raw_y", nullptr}}});
  w["scripts"] = {
      {"note", "not read"},
      {"blocks", json::array({
                     {{"kind", "code"},
                      {"label", "main"},
                      {"ops", json::array({json::array({"label", "top"}), json::array({"wait", 3}),
                                           json::array({"jmp", "top"})})}},
                     {{"kind", "gfx"}, {"label", "pic"}, {"cols", 2}, {"rows", 1}, {"tiles", {7, 65535}}},
                     {{"kind", "touch"}, {"label", "box"}, {"dx", -2}, {"dy", 3}, {"w", 16}, {"h", 24}},
                     {{"kind", "raw"}, {"label", "blob"}, {"hex", "00ff12a"}},
                 })}};
  w["entities"] = json::array({{{"room", 2},
                                {"x", 5},
                                {"y", 6},
                                {"step", "main"},
                                {"touch", nullptr},
                                {"gfx", "pic"},
                                {"state", {1, 2, -1, 256, 4, 5, 6, 7}}}});
  w["objects"] = json::array({{{"room", 2}, {"x", 10}, {"y", 20}, {"graphic", 3}, {"name", 0}},
                              {{"id", 9}, {"room", nullptr}, {"graphic", 4}}});
  w["object_names"] = {"A LAMP"};
  w["texts"] = {{"screens",
                 {{"title", json::array({json::array({"at", 3, 4}), json::array({"style", "big"}),
                                         json::array({"text", "HELLO"})})}}},
                {"bubbles", {{"hi", "HI THERE"}, {"bye", "BYE"}}}};
  w["actors"] = json::array({{{"room", 2},
                              {"x", 1},
                              {"y", 2},
                              {"state", 3},
                              {"frame", 4},
                              {"b6", 5},
                              {"range_a", 6},
                              {"range_b", 7},
                              {"graphic", 8},
                              {"dir", 9}}});
  w["actor_types"] = json::array(
      {{{"offset", 12}, {"box", {1, 2, 3, 4, 5}}, {"frames_left", {1, 2}}, {"frames_right", {3}}}});
  w["actor_types_tail"] = "0aff";
  w["lifts"] = json::array({{{"room", 4},
                             {"x", 80},
                             {"y", 60},
                             {"type", 1},
                             {"state", 2},
                             {"b6", 3},
                             {"w_words", 4},
                             {"h", 50},
                             {"raw10", {48, 1, 200}}}});
  w["lift_stops"] = json::array({json::array({100, 4}), nullptr, json::array({20, 5, 99})});
  w["lift_stops_note"] = "not read";
  w["natives"] = {{"x", 1}};
  w["rules"] = {{"fire_puzzle", {{"carried", 11}, {"room", 30}}},
                {"bat", {{"object", 41}}},
                {"drop_anywhere", {{"rooms", {7, 8}}}},
                {"win", {{"objects", {1, 2, 3}}}},
                {"ball_rooms", {12, 13}},
                {"energy_full", 40},
                {"follower", {{"object", 46}, {"transfers", json::array({1})}}}};
  return w;
}

// Writes documents into a private temporary folder and loads them.
class WorldFiles : public ::testing::Test {
 protected:
  std::filesystem::path file() const { return dir_ / "world.json"; }

  // Loads raw text; `log` receives everything written to standard error.
  std::optional<world::World> loadText(const std::string& text) {
    std::ofstream(file(), std::ios::binary) << text;
    ::testing::internal::CaptureStderr();
    auto result = world::loadWorld(file());
    log = ::testing::internal::GetCapturedStderr();
    return result;
  }

  std::optional<world::World> load(const json& document) { return loadText(document.dump()); }

  // The document must fail with exactly this one error line.
  void expectFailure(const json& document, const std::string& message) {
    EXPECT_FALSE(load(document).has_value());
    EXPECT_EQ(log, "[error] " + message + "\n");
  }

  // The document must fail with one error line that contains `part`.
  void expectFailureMentioning(const json& document, const std::string& part) {
    EXPECT_FALSE(load(document).has_value());
    EXPECT_NE(log.find(part), std::string::npos) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
    EXPECT_EQ(log.rfind("[error] ", 0), 0u) << log;
  }

  std::string path() const { return file().string(); }

  testsupport::ScratchDir scratch_{"tumbold_world"};
  const std::filesystem::path dir_ = scratch_.path();
  std::string log;
};

}  // namespace world_test
