// Corrupted profiles through loading and comparing: "CustomDevData" and the
// driver items' values of any type and size.
#pragma once

#include <memory>

#include "tests/stress/corruption/environment.h"
#include "tests/stress/corruption/path.h"

namespace stress {

std::unique_ptr<Path> MakeProfilePath(Environment &env);

}  // namespace stress
