// The PostScript driver's calls to the rendering plug-in's Command while a job
// runs, made at the points of each GDI call where the driver reaches its
// injection points and in the driver's order, each recorded with the text the
// plug-in wrote there. The plug-in's state changes between the calls as it
// would under the real driver (the page count at each page setup, the cover
// page mode set by an escape before the cover page starts).
#pragma once

#include <windows.h>

#include <vector>

#include "sample/job_splice.h"
#include "tests/host/render_host.h"

namespace sample {

class InjectionRecorder {
public:
    InjectionRecorder(testbed::RenderHost &host, testbed::HostDevice &device);

    // Inside StartDoc: the job stream's start up to the end of the document setup.
    void StartDoc();
    // Inside StartPage: the page comment up to the end of the page setup.
    void StartPage();
    // Inside EndPage: the show-page point and the page trailer.
    void EndPage();
    // Inside EndDoc: the trailer up to the end of the stream.
    void EndDoc();

    const std::vector<Injection> &injections() const { return injections_; }
    int pages() const { return page_; }

private:
    void Ask(DWORD index);

    testbed::RenderHost &host_;
    testbed::HostDevice &device_;
    std::vector<Injection> injections_;
    int page_ = 0;
};

}  // namespace sample
