// What the paths share: the printer of this program's own driver (so that no
// other test program's settings are disturbed), its settings key, and the
// two plug-ins loaded as the driver loads them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "platform/raii.h"
#include "tests/host/escape_host.h"
#include "tests/host/render_host.h"
#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

namespace stress {

struct Environment {
    testbed::PrinterSetup printerSetup{L"STC Corruption Printer", L"STC Corruption Driver", {}};
    unique_hprinter printer;
    std::unique_ptr<testbed::UiPluginHost> ui;
    std::unique_ptr<testbed::RenderHost> render;

    // Installs the printer, loads and starts both plug-ins; false with the reason.
    bool Start(std::string *error);
    // HKEY_CURRENT_USER path of the driver's settings.
    std::wstring DriverKey() const;
};

std::string Narrow(const std::wstring &w);

}  // namespace stress
