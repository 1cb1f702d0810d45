// The PostScript driver's part in one print job, played on top of the render
// host: it writes the driver's own DSC-structured PostScript, asks the plug-in
// for its text at each injection point in the order the driver reaches them,
// and hands the assembled stream to the plug-in's WritePrinter, which passes
// it to the spooler (here: a job file), to the plug-in's output file, or
// nowhere.
//
// The job is played step by step so a test can act between the steps the way
// a document does between GDI calls (ExtEscape reaches the plug-in's DrvEscape
// hook through RenderHost::CallEscape):
//
//   JobDriver job(host, host.device());
//   job.StartDoc(setup);
//   job.StartPage(); ...escapes, Draw()... job.EndPage();
//   job.EndDoc();
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/host/render_host.h"

namespace testbed {

struct JobSetup {
    std::wstring documentName = L"Test document";
    DWORD jobId = 1;
    // The driver's own N-up setting ("%PagePerSheet"): 1, 2, 4, 6, 9 or 16.
    int pagesPerSheet = 1;
    // Where the spooler puts the job's bytes; empty: a file in a scratch folder.
    std::wstring jobFile;
};

// One Command call as the driver made it.
struct InjectionCall {
    DWORD index = 0;
    int page = 0;  // 1-based for page-level points, 0 for document-level ones
    HRESULT hr = S_OK;
    DWORD result = 0;
    std::string text;  // what the plug-in wrote into the job at this point
};

class JobDriver {
public:
    JobDriver(RenderHost &host, HostDevice &device);
    JobDriver(const JobDriver &) = delete;
    JobDriver &operator=(const JobDriver &) = delete;

    // GDI's StartDoc: the spooler job, DrvStartDoc through the plug-in's hook,
    // then the stream up to the end of the document setup.
    bool StartDoc(const JobSetup &setup, std::wstring *error);
    // The page's opening up to its content, which shows the page number and
    // a mark near the lower left corner of the page.
    void StartPage();
    // More page content (PostScript), as a document's drawing would add.
    void Draw(const std::string &postscript);
    // The show-page point, the page trailer, and a flush of the stream.
    void EndPage();
    void Page() {
        StartPage();
        EndPage();
    }
    // Trailer, end of file, the last flush and the end of the spooler job.
    bool EndDoc(std::wstring *error);
    // StartDoc, `pages` pages and EndDoc.
    bool Run(const JobSetup &setup, int pages, std::wstring *error);

    // Every byte the driver produced, in order (what it handed to WritePrinter).
    const std::string &stream() const { return stream_; }
    // The spooler's job file (empty until EndDoc).
    const std::wstring &jobFile() const { return jobFile_; }
    const std::vector<InjectionCall> &calls() const { return calls_; }
    // The plug-in's text at one point: the n-th call (0-based) at that index.
    std::string TextAt(DWORD index, size_t occurrence = 0) const;
    // Everything the plug-in wrote at page-level points of one page.
    std::string PageText(int page) const;
    // Bytes the plug-in's WritePrinter reported written, and its answers.
    DWORD bytesWritten() const { return bytesWritten_; }
    std::vector<HRESULT> writeAnswers;
    // The probe the driver makes before routing its output through the plug-in.
    HRESULT probeAnswer = E_FAIL;
    int pagesBegun() const { return page_; }

private:
    void Emit(const std::string &text);
    // Asks the plug-in at an injection point; true when the plug-in supplied
    // the text (so where it replaces a driver comment, the driver leaves its own out).
    bool Inject(DWORD index);
    void Flush();
    void EmitHeader();
    void EmitProlog();
    void EmitSetup();
    void EmitPageSetup();
    bool NupOn() const { return setup_.pagesPerSheet >= 2; }

    RenderHost &host_;
    HostDevice &device_;
    JobSetup setup_;
    std::wstring jobFile_;
    std::string stream_;
    size_t flushed_ = 0;
    DWORD bytesWritten_ = 0;
    bool spoolerJob_ = false;
    int page_ = 0;
    std::vector<InjectionCall> calls_;
};

}  // namespace testbed
