#include "command_registry.h"

namespace hydload {

std::vector<Command>& commands() {
    static std::vector<Command> all;
    return all;
}

}  // namespace hydload
