// The job's settings as a user would leave them on the plug-ins' pages for
// the sample print's options: destination, hold user and PIN, fax and cover
// page, the chosen stored watermarks, colour correction and toner saving.
#pragma once

#include <windows.h>

#include <string>

#include "sample/options.h"
#include "settings/private_devmode.h"

namespace sample {

// Fills `settings` from the defaults and the options. The watermarks come from
// the user's watermark store for the printer's driver. For the File and EPS
// destinations the output goes to `outputFile`. Fails with a one-line reason
// when a named watermark is not in the store.
bool BuildJobSettings(const SampleOptions &options, HANDLE printer, const std::wstring &outputFile,
                      PrivateDevmode *settings, std::wstring *error);

// The names the store holds, for a message that lists the choices.
std::wstring StoredWatermarkNames(HANDLE printer);

}  // namespace sample
