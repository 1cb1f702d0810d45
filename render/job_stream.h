// The printer-job-language commands around the PostScript job: the job header
// at the very start of the stream, the job's handling just before the
// PostScript header, and the end of the job.
#pragma once

#include "platform/oem_abi.h"
#include "render/device_state.h"
#include "settings/private_devmode.h"

// The job's private settings a DEVOBJ carries, or null.
inline const PrivateDevmode *JobDevmodeOf(const DEVOBJ *dev) {
    return dev ? static_cast<const PrivateDevmode *>(dev->pOEMDM) : nullptr;
}

// Each answers false when it wrote nothing at all (missing DEVOBJ parts, or no
// memory for its line); the injection dispatcher does not act on the answer.
bool WriteJobHeader(const DEVOBJ *dev, IPrintCorePS2 *helper);
bool WriteJobSettings(const DEVOBJ *dev, IPrintCorePS2 *helper);
bool WriteJobTrailer(const DEVOBJ *dev, IPrintCorePS2 *helper);
