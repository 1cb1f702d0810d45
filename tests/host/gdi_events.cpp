#include "tests/host/gdi_events.h"

#include "platform/escape_codes.h"
#include "tests/host/fake_core_ps.h"

#include <winddiui.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace testbed {
namespace {

// The running jobs by device context. uiplug's imports are patched once for
// the process while any job with plug-ins runs; every patched call asks this
// table for the job of its device context and leaves every other to Wine.
class JobTable {
public:
    void Add(HDC dc, GdiJob *job) {
        SrwExclusive hold(&lock_);
        jobs_.push_back({dc, job});
    }
    void Remove(const GdiJob *job) {
        SrwExclusive hold(&lock_);
        for (size_t i = 0; i < jobs_.size(); ++i)
            if (jobs_[i].job == job) {
                jobs_.erase(jobs_.begin() + static_cast<std::ptrdiff_t>(i));
                return;
            }
    }
    // The job is used after the lock is left: only its own thread ends it.
    GdiJob *Find(HDC dc) {
        AcquireSRWLockShared(&lock_);
        GdiJob *found = nullptr;
        for (const Entry &e : jobs_)
            if (e.dc == dc) found = e.job;
        ReleaseSRWLockShared(&lock_);
        return found;
    }

    // The first use patches the imports, the last puts them back.
    bool UsePatches(std::wstring *error);
    void ReleasePatches();

private:
    struct Entry {
        HDC dc;
        GdiJob *job;
    };
    class SrwExclusive {
    public:
        explicit SrwExclusive(SRWLOCK *lock) : lock_(lock) { AcquireSRWLockExclusive(lock_); }
        ~SrwExclusive() { ReleaseSRWLockExclusive(lock_); }
        SrwExclusive(const SrwExclusive &) = delete;
        SrwExclusive &operator=(const SrwExclusive &) = delete;

    private:
        SRWLOCK *lock_;
    };

    SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<Entry> jobs_;
    SRWLOCK patchLock_ = SRWLOCK_INIT;
    long patchUsers_ = 0;
    std::vector<std::unique_ptr<ImportPatch>> patches_;
};

JobTable g_jobs;

class Stopwatch {
public:
    Stopwatch() { QueryPerformanceCounter(&start_); }
    double Seconds() const {
        LARGE_INTEGER now, freq;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&freq);
        return static_cast<double>(now.QuadPart - start_.QuadPart) / static_cast<double>(freq.QuadPart);
    }

private:
    LARGE_INTEGER start_;
};

// uiplug's imports, replaced while a job runs. Each plays the part of
// Windows' GDI for the job's device context and leaves every other device
// context to Wine. The host's own calls go through this program's imports,
// which stay Wine's.
int WINAPI PatchedExtEscape(HDC dc, int code, int cbIn, LPCSTR in, int cbOut, LPSTR out) {
    if (GdiJob *job = g_jobs.Find(dc)) return job->GdiExtEscape(dc, code, cbIn, in, cbOut, out);
    return ExtEscape(dc, code, cbIn, in, cbOut, out);
}

int WINAPI PatchedStartPage(HDC dc) {
    GdiJob *job = g_jobs.Find(dc);
    return job ? job->GdiStartPage(dc) : StartPage(dc);
}

int WINAPI PatchedEndPage(HDC dc) {
    GdiJob *job = g_jobs.Find(dc);
    return job ? job->GdiEndPage(dc) : EndPage(dc);
}

// Not GDI's part: a witness of what uiplug writes on the page, passed on
// unchanged. Wine's PostScript output shows text glyph by glyph, among the
// glyphs' own downloads; here each call's text stays whole.
BOOL WINAPI PatchedExtTextOutW(HDC dc, int x, int y, UINT options, const RECT *rect, LPCWSTR text, UINT count,
                               const INT *dx) {
    GdiJob *job = g_jobs.Find(dc);
    if (!job) return ExtTextOutW(dc, x, y, options, rect, text, count, dx);
    if (text) job->SawText(dc, text, count);
    Stopwatch watch;
    BOOL done = ExtTextOutW(dc, x, y, options, rect, text, count, dx);
    job->AddTextSeconds(dc, watch.Seconds());
    if (done) job->CountLinedText(dc);
    return done;
}

BOOL WINAPI PatchedTextOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
    GdiJob *job = g_jobs.Find(dc);
    if (!job) return TextOutW(dc, x, y, text, count);
    if (text && count > 0) job->SawText(dc, text, static_cast<size_t>(count));
    Stopwatch watch;
    BOOL done = TextOutW(dc, x, y, text, count);
    job->AddTextSeconds(dc, watch.Seconds());
    if (done) job->CountLinedText(dc);
    return done;
}

// Witnesses of the path brackets, so that text traced into a path is told
// from text drawn.
BOOL WINAPI PatchedBeginPath(HDC dc) {
    const BOOL done = BeginPath(dc);
    if (GdiJob *job = g_jobs.Find(dc); job && done) job->SawPath(dc, true);
    return done;
}

BOOL WINAPI PatchedEndPath(HDC dc) {
    const BOOL done = EndPath(dc);
    if (GdiJob *job = g_jobs.Find(dc); job && done) job->SawPath(dc, false);
    return done;
}

BOOL WINAPI PatchedAbortPath(HDC dc) {
    const BOOL done = AbortPath(dc);
    if (GdiJob *job = g_jobs.Find(dc); job && done) job->SawPath(dc, false);
    return done;
}

template <typename F>
void *Address(F *fn) {
    return reinterpret_cast<void *>(fn);
}

bool JobTable::UsePatches(std::wstring *error) {
    SrwExclusive hold(&patchLock_);
    if (patchUsers_ > 0) {
        ++patchUsers_;
        return true;
    }
    HMODULE module = UiPlugModule();
    struct Entry {
        const char *name;
        void *replacement;
        bool required;  // false: a path bracket uiplug may not use
    };
    const Entry entries[] = {
        {"ExtEscape", Address(&PatchedExtEscape), true},     {"StartPage", Address(&PatchedStartPage), true},
        {"EndPage", Address(&PatchedEndPage), true},         {"ExtTextOutW", Address(&PatchedExtTextOutW), true},
        {"TextOutW", Address(&PatchedTextOutW), true},       {"BeginPath", Address(&PatchedBeginPath), false},
        {"EndPath", Address(&PatchedEndPath), false},        {"AbortPath", Address(&PatchedAbortPath), false},
    };
    for (const Entry &e : entries) {
        auto patch = std::make_unique<ImportPatch>(module, "gdi32.dll", e.name, e.replacement);
        if (!patch->ok() && !e.required) continue;
        if (!patch->ok()) {
            *error = L"uiplug.dll does not import gdi32 " + std::wstring(e.name, e.name + strlen(e.name));
            while (!patches_.empty()) patches_.pop_back();
            return false;
        }
        patches_.push_back(std::move(patch));
    }
    patchUsers_ = 1;
    return true;
}

void JobTable::ReleasePatches() {
    SrwExclusive hold(&patchLock_);
    if (patchUsers_ == 0 || --patchUsers_ > 0) return;
    while (!patches_.empty()) patches_.pop_back();  // last patched, first restored
}

}  // namespace

GdiJob::GdiJob(GdiJobOptions options) : options_(std::move(options)) {}

GdiJob::~GdiJob() {
    if (listed_) g_jobs.Remove(this);
    if (patched_) g_jobs.ReleasePatches();
    dc_.reset();
    escapes_.reset();
    render_.reset();
    ui_.reset();
}

bool GdiJob::Start(std::wstring *error) {
    if (dc_) {
        *error = L"the job has started already";
        return false;
    }
    if (!EnsurePrinter(options_.printer, error)) return false;
    wchar_t *name = const_cast<wchar_t *>(options_.printer.printerName.c_str());
    if (!OpenPrinterW(name, printer_.put(), nullptr)) {
        *error = L"OpenPrinterW failed";
        return false;
    }
    if (options_.withPlugins) {
        RenderHostOptions renderOptions;
        renderOptions.printer = options_.printer;
        render_ = std::make_unique<RenderHost>(renderOptions);
        if (!render_->Start(error)) return false;
        escapes_ = std::make_unique<EscapeHost>(*render_);
        if (!escapes_->ok()) {
            *error = L"renderplug registered no DrvEscape or DrvStartDoc hook";
            return false;
        }
        ui_ = std::make_unique<UiPluginHost>();
        if (!ui_->Create(error)) return false;
        if (FAILED(ui_->Publish())) {
            *error = L"PublishDriverInterface failed";
            return false;
        }
        if (!g_jobs.UsePatches(error)) return false;
        patched_ = true;
    }
    dc_.reset(CreatePrinterDc(options_.printer));
    if (!dc_) {
        *error = L"no device context on the test printer";
        return false;
    }
    if (!options_.withPlugins) return true;
    g_jobs.Add(dc_.get(), this);
    listed_ = true;
    // What the driver's own DrvEscape does with what the hook passes on:
    // Wine's PostScript driver answers it on the real device context.
    render_->driverEscape = [this](ULONG code, ULONG cjIn, PVOID pvIn, ULONG cjOut, PVOID pvOut) -> ULONG {
        // A size without a buffer fails in the kernel before any driver sees
        // it. Wine 8's PostScript driver answered it safely; from Wine 9 on
        // GDI also copies every escape into the EMF spool data first, and
        // reads the missing buffer.
        if (cjIn != 0 && pvIn == nullptr) return 0;
        return static_cast<ULONG>(ExtEscape(dc_.get(), static_cast<int>(code), static_cast<int>(cjIn),
                                            static_cast<LPCSTR>(pvIn), static_cast<int>(cjOut),
                                            static_cast<LPSTR>(pvOut)));
    };
    AskFilter();
    return true;
}

// The spooler's side of QUERYFILTER: room for every event there is, one more
// try when the driver needs more, and every event when it answers nothing.
bool GdiJob::AskFilter() {
    UINT room = DOCUMENTEVENT_LAST;
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::vector<BYTE> block(offsetof(DOCEVENT_FILTER, aDocEventCall) + room * sizeof(DWORD), 0);
        auto *f = reinterpret_cast<DOCEVENT_FILTER *>(block.data());
        f->cbSize = static_cast<UINT>(block.size());
        f->cElementsAllocated = room;
        int result = 0;
        HRESULT hr = ui_->plugin->DocumentEvent(printer_.get(), dc_.get(), DOCUMENTEVENT_QUERYFILTER, 0, nullptr,
                                                static_cast<ULONG>(block.size()), f, &result);
        filterResult = result;
        if (FAILED(hr) || result != DOCUMENTEVENT_SUCCESS) break;
        if (f->cElementsNeeded > room) {
            room = f->cElementsNeeded;
            continue;
        }
        const DWORD *list = reinterpret_cast<const DWORD *>(block.data() + offsetof(DOCEVENT_FILTER, aDocEventCall));
        filter.assign(list, list + std::min(f->cElementsReturned, room));
        return true;
    }
    wantsAll_ = true;
    return false;
}

bool GdiJob::Wants(int iEsc) const {
    if (!ui_) return false;
    return wantsAll_ || std::find(filter.begin(), filter.end(), static_cast<DWORD>(iEsc)) != filter.end();
}

EventRecord *GdiJob::Innermost() { return active_.empty() ? nullptr : &events[active_.back()]; }

// GDI goes on with the call whatever the handler answered; the tests look at
// the answer itself.
void GdiJob::RaiseEvent(int iEsc, ULONG cbIn, PVOID pvIn, int escapeCode) {
    if (!Wants(iEsc)) return;
    const bool outermost = depth_ == 0;
    if (outermost) ++applicationEvents;
    if (options_.record) {
        EventRecord record;
        record.iEsc = iEsc;
        record.escapeCode = escapeCode;
        record.depth = depth_ + 1;
        events.push_back(std::move(record));
        active_.push_back(events.size() - 1);
    }
    ++depth_;
    int result = 0;
    Stopwatch watch;
    HRESULT hr = ui_->plugin->DocumentEvent(printer_.get(), dc_.get(), iEsc, cbIn, pvIn, 0, nullptr, &result);
    if (outermost) {
        const double seconds = watch.Seconds();
        pluginSeconds += seconds;
        if (iEsc >= 0 && iEsc <= DOCUMENTEVENT_LAST) eventSeconds[iEsc] += seconds;
    }
    --depth_;
    if (options_.record) {
        EventRecord &record = events[active_.back()];
        record.hr = hr;
        record.result = result;
        active_.pop_back();
    }
}

// GDI hands the escape to the rendering driver, whose DrvEscape renderplug
// has hooked.
int GdiJob::RouteEscape(int code, int cbIn, LPCSTR in, int cbOut, LPSTR out) {
    // A negative size reaches no driver; the call fails.
    if (cbIn < 0 || cbOut < 0) return -1;
    return static_cast<int>(escapes_->Escape(static_cast<ULONG>(code), static_cast<ULONG>(cbIn),
                                             const_cast<char *>(in), static_cast<ULONG>(cbOut), out));
}

int GdiJob::GdiExtEscape(HDC dc, int code, int cbIn, LPCSTR in, int cbOut, LPSTR out) {
    if (dc != dc_.get() || !escapes_) return ExtEscape(dc, code, cbIn, in, cbOut, out);
    // Kept as an index: `events` may grow while the escape's own event runs.
    const bool fromPlugin = options_.record && !active_.empty();
    const size_t sender = fromPlugin ? active_.back() : 0;
    DOCEVENT_ESCAPE escape{code, cbIn, const_cast<char *>(in)};
    RaiseEvent(DOCUMENTEVENT_ESCAPE, sizeof(escape), &escape, code);
    const int reply = RouteEscape(code, cbIn, in, cbOut, out);
    if (fromPlugin)
        events[sender].escapes.push_back(SentEscape{static_cast<ULONG>(code), cbIn, cbOut, out != nullptr, reply});
    return reply;
}

int GdiJob::GdiStartPage(HDC dc) {
    if (dc != dc_.get()) return ::StartPage(dc);
    RaiseEvent(DOCUMENTEVENT_STARTPAGE, 0, nullptr, 0);
    const int result = ::StartPage(dc);
    if (result > 0 && driverStartPage) driverStartPage();
    return result;
}

int GdiJob::GdiEndPage(HDC dc) {
    if (dc != dc_.get()) return ::EndPage(dc);
    RaiseEvent(DOCUMENTEVENT_ENDPAGE, 0, nullptr, 0);
    const int result = ::EndPage(dc);
    if (driverEndPage) driverEndPage();
    return result;
}

void GdiJob::SawPath(HDC dc, bool open) {
    if (dc == dc_.get()) pathOpen_ = open;
}

void GdiJob::CountLinedText(HDC dc) {
    if (dc != dc_.get() || pathOpen_) return;
    LOGFONTW font{};
    if (GetObjectW(GetCurrentObject(dc, OBJ_FONT), sizeof(font), &font) != sizeof(font)) return;
    if (font.lfUnderline || font.lfStrikeOut) ++linedTexts;
}

void GdiJob::SawText(HDC dc, const wchar_t *text, size_t length) {
    if (dc != dc_.get()) return;
    ++drawnTexts;
    if (!options_.record) return;
    EventRecord *record = Innermost();
    if (record) record->texts.emplace_back(text, length);
}

PrivateDevmode *GdiJob::settings() { return escapes_ ? escapes_->settings() : nullptr; }
DEVMODEW *GdiJob::publicDevmode() { return escapes_ ? escapes_->publicDevmode() : nullptr; }
DeviceState *GdiJob::state() { return escapes_ ? escapes_->state() : nullptr; }

HostDevice *GdiJob::renderDevice() {
    DeviceState *current = state();
    if (!current || !current->coreHelper) return nullptr;
    auto *core = static_cast<FakeCorePs *>(current->coreHelper);
    core->lastDevobj = nullptr;
    Escape(static_cast<int>(ESC_HAS_MANUAL_DUPLEX), 0, nullptr, 0, nullptr);
    if (!core->lastDevobj) return nullptr;
    return reinterpret_cast<const DeviceLink *>(core->lastDevobj)->owner;
}

int GdiJob::StartDocument(const wchar_t *docName, const std::wstring &outputPath) {
    DOCINFOW info{sizeof(info), docName, outputPath.c_str(), nullptr, 0};
    const int jobId = StartDocW(dc_.get(), &info);
    if (jobId <= 0) return 0;
    // Inside StartDoc GDI starts the driver's document; the hook records
    // the name and the spooler's job id.
    if (escapes_) escapes_->StartDoc(docName, static_cast<DWORD>(jobId));
    return jobId;
}

int GdiJob::StartPage() { return GdiStartPage(dc_.get()); }

int GdiJob::EndPage() { return GdiEndPage(dc_.get()); }

int GdiJob::EndDoc() {
    RaiseEvent(DOCUMENTEVENT_ENDDOC, 0, nullptr, 0);
    return ::EndDoc(dc_.get());
}

int GdiJob::Escape(int code, int cbIn, const void *in, int cbOut, void *out) {
    return GdiExtEscape(dc_.get(), code, cbIn, static_cast<LPCSTR>(in), cbOut, static_cast<LPSTR>(out));
}

}  // namespace testbed
