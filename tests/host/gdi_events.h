// A print job on a real Wine PostScript device context, driven the way an
// application's calls are driven on Windows when the PostScript driver carries
// both plug-ins:
//
// - GDI (the spooler's client side) asks the driver's user-interface module
//   once per device context which document events it wants (QUERYFILTER), and
//   then calls DocumentEvent before StartPage, EndPage, EndDoc and ExtEscape,
//   in the application's process and thread. The driver forwards those calls
//   to uiplug's DocumentEvent; this host calls that method of the plug-in
//   object it created through the class factory.
// - GDI turns ExtEscape and StartDoc on the device context into the rendering
//   driver's DrvEscape and DrvStartDoc, which renderplug has hooked; what the
//   hook passes on reaches the driver, here Wine's PostScript driver.
//
// uiplug makes device-context calls of its own while it handles an event:
// ExtEscape to ask the renderer for the job's records, StartPage/EndPage for
// the fax cover page. On Windows those go through the same GDI, so they too
// raise document events and reach renderplug's hook. Wine's GDI does neither,
// so the host patches uiplug.dll's imports of ExtEscape, StartPage and EndPage
// and plays GDI's part in them for the job's device context; calls on any other
// device context go to Wine unchanged. The product is not told about any of it.
//
// Jobs may run at once on several threads, each on its own device context, as
// on a print server: the patched imports are the module's and so shared, and
// each call finds its job by the device context it was made on.
#pragma once

#include <windows.h>
#include <winddiui.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "render/device_state.h"
#include "settings/private_devmode.h"
#include "tests/host/escape_host.h"
#include "tests/host/import_patch.h"
#include "tests/host/render_host.h"
#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"

namespace testbed {

// An escape that uiplug sent on the job's device context.
struct SentEscape {
    ULONG code = 0;
    int cbIn = 0;
    int cbOut = 0;
    bool hadOutput = false;
    int reply = 0;
};

// One document event as the plug-in received it.
struct EventRecord {
    int iEsc = 0;
    int escapeCode = 0;  // DOCUMENTEVENT_ESCAPE: the escape GDI is about to process
    int depth = 0;       // 1: raised by the application's call; 2 and on: by uiplug's own calls
    HRESULT hr = S_OK;
    int result = 0;      // *piResult
    // What uiplug did on the device context while handling this event itself
    // (the events its calls raised keep their own records).
    std::vector<SentEscape> escapes;
    std::vector<std::wstring> texts;
};

struct GdiJobOptions {
    PrinterSetup printer;
    // False: the same calls on the bare device context, no plug-in loaded.
    bool withPlugins = true;
    // False: keep no event records (a long job whose memory use is measured).
    bool record = true;
};

class GdiJob {
public:
    explicit GdiJob(GdiJobOptions options = {});
    ~GdiJob();
    GdiJob(const GdiJob &) = delete;
    GdiJob &operator=(const GdiJob &) = delete;

    // Loads and starts both plug-ins, creates the device context and asks the
    // filter. False with the reason in *error.
    bool Start(std::wstring *error);

    // The job's records as the renderer holds them; a test sets the job's
    // settings here before the document starts.
    PrivateDevmode *settings();
    DEVMODEW *publicDevmode();
    DeviceState *state();
    // The renderer's device behind the device context, as the driver holds
    // it, or null. The renderer hands the device's DEVOBJ to the driver's
    // helper with every query, and a host DEVOBJ leads to its device; asking
    // whether manual duplex is available, as any program holding the device
    // context may, makes the renderer query.
    HostDevice *renderDevice();
    HDC dc() const { return dc_.get(); }
    IPrintOemUI2 *uiPlugin() const { return ui_ ? ui_->plugin : nullptr; }
    HANDLE printer() const { return printer_.get(); }

    // The application's calls, with the document events GDI raises for them.
    // StartDocument prints to `outputPath`; returns the job id (0 on failure).
    int StartDocument(const wchar_t *docName, const std::wstring &outputPath);
    int StartPage();
    int EndPage();
    int EndDoc();
    int Escape(int code, int cbIn, const void *in, int cbOut, void *out);

    // The events the plug-in asked for, and what happened.
    std::vector<DWORD> filter;
    int filterResult = 0;
    std::vector<EventRecord> events;
    // Time spent inside the plug-ins' calls (document events and everything
    // they caused), and how many events the application's calls raised.
    double pluginSeconds = 0.0;
    long applicationEvents = 0;
    // The same split by event (indexed by iEsc), and the part of it spent
    // in the text drawing calls uiplug made on the job's device context.
    double eventSeconds[DOCUMENTEVENT_LAST + 1] = {};
    double textSeconds = 0.0;
    // Text drawing calls uiplug made on the job's device context, counted
    // with or without records.
    long drawnTexts = 0;
    // Of those, the ones drawn (not traced into a path) in an underlined or
    // struck-out font: Wine from version 9 keeps a GDI object for each.
    long linedTexts = 0;

    // The rendering driver's own work inside StartPage and EndPage of the
    // job's device context, after GDI's document event (the page's
    // injection points): for the application's pages and for those uiplug
    // starts itself. Unset: nothing.
    std::function<void()> driverStartPage;
    std::function<void()> driverEndPage;

    // Calls made by the patched imports (public for them, not for tests).
    int GdiExtEscape(HDC dc, int code, int cbIn, LPCSTR in, int cbOut, LPSTR out);
    int GdiStartPage(HDC dc);
    int GdiEndPage(HDC dc);
    void SawText(HDC dc, const wchar_t *text, size_t length);
    void CountLinedText(HDC dc);
    void SawPath(HDC dc, bool open);
    void AddTextSeconds(HDC dc, double seconds) {
        if (dc == dc_.get()) textSeconds += seconds;
    }

private:
    bool Wants(int iEsc) const;
    void RaiseEvent(int iEsc, ULONG cbIn, PVOID pvIn, int escapeCode);
    int RouteEscape(int code, int cbIn, LPCSTR in, int cbOut, LPSTR out);
    bool AskFilter();
    EventRecord *Innermost();

    GdiJobOptions options_;
    std::unique_ptr<RenderHost> render_;
    std::unique_ptr<EscapeHost> escapes_;
    std::unique_ptr<UiPluginHost> ui_;
    bool patched_ = false;  // holds a use of uiplug's patched imports
    bool listed_ = false;   // in the process's table of running jobs
    unique_hprinter printer_;
    unique_hdc dc_;
    std::vector<size_t> active_;  // indices into events, innermost last
    int depth_ = 0;
    bool wantsAll_ = false;
    bool pathOpen_ = false;  // uiplug has begun a path on the job's device context
};

}  // namespace testbed
