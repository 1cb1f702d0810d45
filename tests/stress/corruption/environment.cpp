#include "tests/stress/corruption/environment.h"

#include <shlwapi.h>

namespace stress {

std::string Narrow(const std::wstring &w) { return testbed::Narrow(w); }

bool Environment::Start(std::string *error) {
    std::wstring why;
    if (!testbed::EnsurePrinter(printerSetup, &why)) {
        *error = "printer: " + Narrow(why);
        return false;
    }
    if (!OpenPrinterW(const_cast<wchar_t *>(printerSetup.printerName.c_str()), printer.put(), nullptr)) {
        *error = "OpenPrinterW failed";
        return false;
    }
    // Each run starts from no stored settings of this driver.
    SHDeleteKeyW(HKEY_CURRENT_USER, DriverKey().c_str());

    ui = std::make_unique<testbed::UiPluginHost>();
    if (!ui->Create(&why) || FAILED(ui->Publish())) {
        *error = "uiplug: " + Narrow(why);
        return false;
    }
    testbed::RenderHostOptions options;
    options.printer = printerSetup;
    render = std::make_unique<testbed::RenderHost>(options);
    if (!render->Start(&why)) {
        *error = "renderplug: " + Narrow(why);
        return false;
    }
    return true;
}

std::wstring Environment::DriverKey() const { return L"Software\\Corvane\\PSPlugIn\\" + printerSetup.driverName; }

}  // namespace stress
