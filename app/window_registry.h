#pragma once

#include <span>

#include "shell/window_registration.h"

namespace rivulon::ui {

// Every window kind of the program with its commands, in the order their
// commands are placed into the menus.
std::span<const WindowRegistration* const> windowRegistrations();
const WindowRegistration* registrationOf(WindowKind kind);

}  // namespace rivulon::ui
