// The manual-duplex prompt a job asks for, answered in this process: uiplug's
// start of the prompt process is caught at its CreateProcessW import, and
// the prompt that process would show (the module's export) is run on a
// thread of its own and closed with OK, so no window stays open. Jobs on
// several threads may ask at once; each prompt is answered on its own thread.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "tests/host/import_patch.h"

namespace testbed {

class PromptAnswerer {
public:
    PromptAnswerer();
    bool ok() const { return patch_->ok(); }
    // Shows and answers `prompts` prompts that no job asked for.
    void WarmUp(int prompts);

    // Prompts started and answered; the first fault seen, if any.
    long started() const;
    long answered() const;
    std::wstring fault() const;
    // Time spent showing and answering them.
    double milliseconds() const;

private:
    std::unique_ptr<ImportPatch> patch_;
};

}  // namespace testbed
