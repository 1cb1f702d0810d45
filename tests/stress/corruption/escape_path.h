// Corrupted records through the escape that replaces the job's record, then
// the record read back through the escape that copies it out.
#pragma once

#include <memory>

#include "tests/stress/corruption/environment.h"
#include "tests/stress/corruption/path.h"

namespace stress {

std::unique_ptr<Path> MakeEscapePath(Environment &env);

}  // namespace stress
