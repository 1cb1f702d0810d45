// Pictures of a job's pages, as a PostScript printer would print them:
// Ghostscript renders the job file's PostScript to one PNG per page.
#pragma once

#include <windows.h>

#include <string>

namespace sample {

// Writes <workDir>\page-NNN.png for every page of `jobFile` at `dpi`. The
// printer-job-language before the PostScript is skipped as a printer skips it.
// Fails with Ghostscript's first error line when it reports one.
bool RenderPictures(const std::wstring &jobFile, const std::wstring &workDir, int dpi, int *pages,
                    std::wstring *error);

}  // namespace sample
