// The simulation's view of the loaded Data, shared by the game and the tool modes.

#include "modes.h"

sim::Content simContent(const Data& data) { return sim::makeContent(data.world, data.tiles, data.palette); }
