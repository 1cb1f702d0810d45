#include "sample/injection_recorder.h"

namespace sample {
namespace {

// The driver's points in the order it reaches them in each call.
const DWORD kDocumentStart[] = {PSINJECT_BEGINSTREAM, PSINJECT_PSADOBE,   PSINJECT_PAGESATEND, PSINJECT_COMMENTS,
                                PSINJECT_BEGINPROLOG, PSINJECT_ENDPROLOG, PSINJECT_BEGINSETUP, PSINJECT_ENDSETUP};
const DWORD kPageStart[] = {PSINJECT_PAGENUMBER, PSINJECT_BEGINPAGESETUP, PSINJECT_ENDPAGESETUP};
const DWORD kPageEnd[] = {PSINJECT_SHOWPAGE, PSINJECT_PAGETRAILER};
const DWORD kDocumentEnd[] = {PSINJECT_TRAILER, PSINJECT_PAGES, PSINJECT_EOF, PSINJECT_ENDSTREAM};

}  // namespace

InjectionRecorder::InjectionRecorder(testbed::RenderHost &host, testbed::HostDevice &device)
    : host_(host), device_(device) {}

void InjectionRecorder::Ask(DWORD index) {
    const std::string &spooled = host_.core().Spooled();
    const size_t before = spooled.size();
    Injection call;
    call.index = index;
    call.page = index >= PSINJECT_PAGENUMBER ? page_ : 0;
    DWORD result = 0xFFFFFFFF;
    const HRESULT hr = host_.plugin()->Command(device_.dev(), index, nullptr, 0, &result);
    call.supplied = SUCCEEDED(hr) && result == ERROR_SUCCESS;
    call.text = host_.core().Spooled().substr(before);
    injections_.push_back(std::move(call));
}

void InjectionRecorder::StartDoc() {
    for (DWORD index : kDocumentStart) Ask(index);
}

void InjectionRecorder::StartPage() {
    ++page_;
    for (DWORD index : kPageStart) Ask(index);
}

void InjectionRecorder::EndPage() {
    for (DWORD index : kPageEnd) Ask(index);
}

void InjectionRecorder::EndDoc() {
    for (DWORD index : kDocumentEnd) Ask(index);
}

}  // namespace sample
