// Shared libraries through the dynamic loader, for both backends.
#pragma once

#include <memory>
#include <string>

#include "platform/platform.h"

namespace lw::platform {

// Loads a shared object; null when it cannot be loaded (missing, not a shared object, or
// unresolved symbols).
std::unique_ptr<SharedLibrary> LoadSharedLibrary(const std::string& path);

}  // namespace lw::platform
