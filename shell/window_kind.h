#pragma once

#include <string_view>

namespace rivulon::ui {

// A kind of window, named by its class, which is also the object name of its
// windows. A window kind declares its own (`FrmSeptic::kKind`); a service
// interface names the kind that provides it (`RunView::kProvider`), so that
// other windows reach it without knowing its class.
struct WindowKind {
    std::string_view className;
    friend constexpr bool operator==(WindowKind, WindowKind) = default;
};

}  // namespace rivulon::ui
