# The parts of the world that are neither rooms nor scripts: screens, texts, doors,
# actors, lifts and the rules. A Python literal (read with ast.literal_eval).
#
# Actor frames are frames of the misc sprite set:
#   1, 2 rat left    3, 4 rat right      5, 6 bat left      7, 8 bat right
#   9, 10 dog left   11, 12 dog right    13, 14 spider left 16, 17 spider right
#   18, 19 slime (both directions)      24, 25 ghost left   26, 27 ghost right
#   28, 29 knight left (16 x 24)         30, 31 knight right 32, 33 beetle left 34, 35 right
# (0 is drawn for an actor in state 0, 15 is the juggler's ball, 20..23 the boulders.)
{
    "screens": {
        "title": {"room": 75, "header": [
            "=frame_c =frame_h =frame_h =frame_h =frame_h =frame_h =frame_h =starfield =starfield =starfield =starfield =starfield =starfield =frame_h =frame_h =frame_h =frame_h =frame_h =frame_h =frame_c",
            "=starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield"]},
        "end": {"room": 76, "header": [
            "=frame_c =frame_h =frame_h =frame_h =frame_h =frame_h =frame_h =starfield =starfield =starfield =starfield =starfield =starfield =frame_h =frame_h =frame_h =frame_h =frame_h =frame_h =frame_c",
            "=starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield =starfield"]},
    },

    # Door 0 leads from the cottage into the gatehouse, door 1 back again; door 2 from
    # the lift house up its service stair to the lift top.
    "doors": [
        {"room": 3, "raw_x": 8, "raw_y": None},
        {"room": 2, "raw_x": 272, "raw_y": None},
        {"room": 30, "raw_x": 232, "raw_y": 144},
    ],

    "texts": {
        "screens": {
            "title": [
                ["style", "shadow"],
                ["at", 7, 5], ["text", "TUMBOLD AND THE STAR LAMP"],
                ["at", 5, 8], ["text", "THE LAMP ABOVE THE VALE HAS GONE"],
                ["at", 5, 9], ["text", "DARK. FIND THE FOUR STAR SHARDS"],
                ["at", 5, 10], ["text", "AND BRING THEM TO THE KEEPER."],
                ["at", 10, 12], ["text", "PRESS FIRE TO START"],
                ["at", 3, 14], ["text", "ARROWS WALK AND UP JUMPS. FIRE"],
                ["at", 3, 15], ["text", "TAKES, DROPS, TALKS, PULLS LEVERS."],
                ["at", 3, 17], ["text", "WHILE PLAYING ESC OPENS THE MENU."],
                ["at", 3, 18], ["text", "F5 QUICK SAVES, F8 QUICK LOADS."],
            ],
            "ending": [
                ["style", "shadow"],
                ["at", 10, 7], ["text", "WELL DONE, TUMBOLD!"],
                ["at", 4, 11], ["text", "THE STAR LAMP SHINES AGAIN AND"],
                ["at", 4, 12], ["text", "THE WHOLE VALE IS BATHED IN ITS"],
                ["at", 4, 13], ["text", "SILVER LIGHT. THE KEEPER SMILES."],
                ["at", 9, 18], ["text", "THANK YOU FOR PLAYING"],
            ],
            "game_over": [
                ["style", "shadow"],
                ["at", 15, 8], ["text", "GAME OVER"],
                ["at", 6, 12], ["text", "THE VALE'S LAMP STAYS DARK."],
                ["at", 6, 13], ["text", "REST, AND TRY AGAIN TOMORROW."],
            ],
        },
        "bubbles": {
            "fire_puzzle":  "WHOOSH! THE FIREWOOD BLAZES\nAND SOMETHING GLOWS IN IT.",
            "object_2C_a":  "THE CROWN IS STILL WARM.",
            "object_2C_b":  "IT MELTS ICE AT A TOUCH.",
        },
    },

    "actors": [
        {"room": 7,  "x": 16,  "y": 152, "state": 3, "frame": 3,  "b6": 0, "range_a": 8,   "range_b": 32,  "graphic": 0,  "dir": 1},
        {"room": 13, "x": 120, "y": 64,  "state": 3, "frame": 15, "b6": 0, "range_a": 96,  "range_b": 232, "graphic": 30, "dir": 1},
        {"room": 16, "x": 200, "y": 156, "state": 4, "frame": 18, "b6": 0, "range_a": 196, "range_b": 256, "graphic": 40, "dir": 0},
        {"room": 17, "x": 80,  "y": 80,  "state": 3, "frame": 7,  "b6": 0, "range_a": 40,  "range_b": 240, "graphic": 10, "dir": 1},
        {"room": 36, "x": 200, "y": 152, "state": 3, "frame": 32, "b6": 0, "range_a": 160, "range_b": 248, "graphic": 70, "dir": 0},
        {"room": 42, "x": 64,  "y": 112, "state": 3, "frame": 26, "b6": 0, "range_a": 48,  "range_b": 200, "graphic": 50, "dir": 1},
        {"room": 67, "x": 48,  "y": 144, "state": 5, "frame": 11, "b6": 0, "range_a": 24,  "range_b": 112, "graphic": 20, "dir": 1},
        {"room": 73, "x": 160, "y": 144, "state": 3, "frame": 28, "b6": 0, "range_a": 120, "range_b": 232, "graphic": 60, "dir": 0},
    ],
    "actor_types": [
        {"offset": 0,  "box": [0, 4, 16, 12], "anim_divisor": 6,  "frames_per_dir": 2, "frames_left": [1, 2],   "frames_right": [3, 4]},
        {"offset": 10, "box": [0, 0, 16, 12], "anim_divisor": 5,  "frames_per_dir": 2, "frames_left": [5, 6],   "frames_right": [7, 8]},
        {"offset": 20, "box": [0, 0, 24, 16], "anim_divisor": 6,  "frames_per_dir": 2, "frames_left": [9, 10],  "frames_right": [11, 12]},
        {"offset": 30, "box": [0, 0, 16, 16], "anim_divisor": 8,  "frames_per_dir": 2, "frames_left": [13, 14], "frames_right": [16, 17]},
        {"offset": 40, "box": [0, 4, 16, 12], "anim_divisor": 10, "frames_per_dir": 2, "frames_left": [18, 19], "frames_right": [18, 19]},
        {"offset": 50, "box": [2, 2, 12, 14], "anim_divisor": 8,  "frames_per_dir": 2, "frames_left": [24, 25], "frames_right": [26, 27]},
        {"offset": 60, "box": [0, 0, 16, 24], "anim_divisor": 6,  "frames_per_dir": 2, "frames_left": [28, 29], "frames_right": [30, 31]},
        {"offset": 70, "box": [0, 6, 16, 10], "anim_divisor": 6,  "frames_per_dir": 2, "frames_left": [32, 33], "frames_right": [34, 35]},
    ],
    "actor_types_tail": "",

    # Lift 2 is the cargo lift of rooms 29 and 30, lift 3 the tower lift whose height
    # guards the prism and the goggles, lift 4 the chandelier of the great hall.
    # raw10 is [landing width low byte, high byte, surface offset from y].
    "lifts": [
        {"room": 19, "x": 144, "y": 168, "type": 0, "state": 0,  "b6": 0, "w_words": 3, "h": 8,  "raw10": [48, 0, -24], "start_stop": 0},
        {"room": 16, "x": 144, "y": 168, "type": 0, "state": 6,  "b6": 0, "w_words": 3, "h": 8,  "raw10": [48, 0, -24], "start_stop": 6},
        {"room": 30, "x": 48,  "y": 176, "type": 0, "state": 32, "b6": 0, "w_words": 3, "h": 8,  "raw10": [48, 0, -24], "start_stop": 32},
        {"room": 57, "x": 144, "y": 168, "type": 0, "state": 12, "b6": 0, "w_words": 3, "h": 8,  "raw10": [48, 0, -24], "start_stop": 12},
        {"room": 21, "x": 128, "y": 56,  "type": 3, "state": 0,  "b6": 0, "w_words": 4, "h": 16, "raw10": [64, 0, -24], "start_stop": 0},
    ],
    # Entry e is a stop of index 2e - 2; each lift's stops run from the lowest up,
    # closed by empty entries. Entries 16 and 17 belong to the cargo lift.
    # A riding lift stops wherever its y equals the next stop's y, whatever the room,
    # so each upper stop lies below every height the lift passes in the room beneath:
    # floor level (168) below, the step beside the shaft (176) above.
    "lift_stops": [
        None,
        [168, 19], [176, 20], None,
        [168, 16], [176, 12], None,
        [168, 57], [176, 58], None,
        None, None, None, None, None, None,
        [168, 29], [176, 30], None,
    ],

    "rules": {
        "new_game": {"room": 2, "x": 106, "y": 144, "lives": 3},
        "energy_full": 46,
        "fire_puzzle": {"carried": 35, "placed": 37, "room": 72, "min_x8": 33, "min_y": 160,
                        "reveals": 44, "flag": 20},
        "object_2C": {"flag": 21},
        "object_1E": {"flag": 6},
        "pickup_from_lift29": {"objects": [66, 53]},
        "bat": {"object": 40},
        "lift_switch": {"entity": 9},
        "ride": {"tile": 908},
        "drop_anywhere": {"rooms": [61, 63], "y": 88},
        "follower": {"object": 45},
        "door_tune_rooms": [2],
        "win": {"objects": [10, 20, 50, 60]},
        "ball_rooms": [25, 26, 27],
        "shared_thread_rooms": [25, 26, 27],
    },
}
