// Bytes in use in every heap of the process: the C runtime keeps its own heap
// beside the process heap, and the plug-ins allocate from both.
#pragma once

#include <cstddef>

namespace stress {

size_t AllHeapsBytes();

}  // namespace stress
