// The user-interface toolkit of this build (GTK with WebKit on Linux).
#pragma once

#include <memory>

#include "skinned_window.h"

namespace ui {

std::unique_ptr<Toolkit> makeToolkit();

}  // namespace ui
