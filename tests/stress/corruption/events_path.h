// Corrupted records, merged as the driver merges them, through a print job on
// a real PostScript device context: document events, watermark drawing at
// start and end of page and on request, the fax cover page.
#pragma once

#include <memory>

#include "tests/stress/corruption/environment.h"
#include "tests/stress/corruption/path.h"

namespace stress {

std::unique_ptr<Path> MakeEventsPath(Environment &env);

}  // namespace stress
