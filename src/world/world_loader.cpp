#include "world/world.h"

#include "core/log.h"

namespace world {

std::optional<World> loadWorld(const std::filesystem::path& file) {
    core::log(core::LogLevel::Error, "%s: world loading is not available yet", file.string().c_str());
    return std::nullopt;
}

}  // namespace world
