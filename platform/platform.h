// The platform layer: every operating-system or C run-time service the text library and the
// catalogue module use, in the shape their callers need. platform/posix/ implements it here.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kt::platform {

// Filled in as the library's areas come to need operating-system services.

}  // namespace kt::platform
