// Corrupted registry values through the readers of the stores: stored
// watermarks (and their count and list), the last hold user name and the fax
// details.
#pragma once

#include <memory>

#include "tests/stress/corruption/environment.h"
#include "tests/stress/corruption/path.h"

namespace stress {

std::unique_ptr<Path> MakeWatermarkStorePath(Environment &env);
std::unique_ptr<Path> MakeLastUserNamePath(Environment &env);
std::unique_ptr<Path> MakeFaxInfoPath(Environment &env);

}  // namespace stress
