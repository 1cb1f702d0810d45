// Pictures of what the test programs show on the virtual X screen, kept as
// PNG files in the build's artifacts folder for people to look at.
#pragma once

#include <windows.h>

#include <string>

namespace testbed {

// <build>/artifacts (created on first use), as a Windows path.
std::wstring ArtifactsDir();

// Saves a PNG of the whole screen, or of the part `window` covers, as
// artifacts/<name>.png. Returns the Windows path, or empty on failure.
std::wstring SaveScreenPicture(const std::wstring &name);
std::wstring SaveWindowPicture(HWND window, const std::wstring &name);
// The same picture written to `path` (a Windows path of a .png file).
std::wstring SaveWindowPictureAs(HWND window, const std::wstring &path);

}  // namespace testbed
