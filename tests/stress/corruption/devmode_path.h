// Corrupted records through a plug-in's DevMode, in every mode, as the driver
// calls it.
#pragma once

#include <memory>

#include "tests/stress/corruption/environment.h"
#include "tests/stress/corruption/path.h"

namespace stress {

enum class Plugin { Ui, Render };

std::unique_ptr<Path> MakeDevModePath(Environment &env, Plugin plugin);

}  // namespace stress
