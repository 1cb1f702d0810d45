#include "render/write_printer.h"

#include "render/device_setup.h"
#include "settings/private_devmode.h"

namespace {

HRESULT WriteToJobFile(DevicePrivate *job, const PrivateDevmode &settings, const void *buffer, DWORD count,
                       OutputPathMemory *paths) {
    if (!job) return S_FALSE;
    if (!job->outputFile) {
        // Until an open succeeds each write tries again; once it has, the
        // rest of the job goes to that file whatever its settings say later.
        job->outputFile = OpenJobOutputFile(settings.outputFilePath, ARRAYSIZE(settings.outputFilePath), *paths);
        if (!job->outputFile) return S_FALSE;
    }
    return WriteWhole(job->outputFile.get(), buffer, count) ? S_OK : S_FALSE;
}

}  // namespace

HRESULT WriteJobOutput(const DEVOBJ *dev, const void *buffer, DWORD count, DWORD *written, OutputPathMemory *paths) {
    if (!dev || !buffer || !written || !paths) return S_FALSE;
    if (!dev->pOEMDM || !dev->pPublicDM || !dev->hPrinter) return S_FALSE;
    *written = 0;
    const auto *settings = static_cast<const PrivateDevmode *>(dev->pOEMDM);
    // Bytes the file or the discard took are reported as taken: the driver
    // could read a shorter count as a write that fell short.
    if (settings->discardOutput) {
        *written = count;
        return S_OK;
    }
    if (settings->outputDestination == DEST_FILE || settings->outputDestination == DEST_EPS) {
        HRESULT hr = WriteToJobFile(PrivateOf(StateOf(dev)), *settings, buffer, count, paths);
        if (hr == S_OK) *written = count;
        return hr;
    }
    return ::WritePrinter(dev->hPrinter, const_cast<void *>(buffer), count, written) ? S_OK : S_FALSE;
}
