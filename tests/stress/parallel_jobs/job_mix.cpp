#include "tests/stress/parallel_jobs/job_mix.h"

#include <cstdio>
#include <cwchar>

namespace parallel {
namespace {

const uint32_t kDestinations[] = {DEST_PRINTER, DEST_CONFIDENTIAL, DEST_RESERVE, DEST_FAX, DEST_FILE};
const int kPagesPerSheet[] = {1, 2, 1, 4, 1, 6};

const char *DestinationName(uint32_t destination) {
    switch (destination) {
    case DEST_PRINTER: return "printer";
    case DEST_CONFIDENTIAL: return "confidential";
    case DEST_RESERVE: return "reserve";
    case DEST_FAX: return "fax with cover page";
    case DEST_FILE: return "file";
    default: return "other";
    }
}

std::wstring Tagged(const wchar_t *prefix, int thread, int index) {
    wchar_t text[64];
    std::swprintf(text, 64, L"%lst%02d-j%03d", prefix, thread, index);
    return text;
}

// Four digits from 1 to 6, one PIN per job of the run (up to 1,296 jobs).
std::wstring PinFor(int serial) {
    wchar_t pin[5];
    for (int i = 3; i >= 0; --i) {
        pin[i] = static_cast<wchar_t>(L'1' + serial % 6);
        serial /= 6;
    }
    pin[4] = L'\0';
    return pin;
}

template <size_t N>
void Copy(wchar_t (&field)[N], const std::wstring &text) {
    std::wcsncpy(field, text.c_str(), N - 1);
    field[N - 1] = L'\0';
}

WatermarkRecord Mark(const wchar_t *name, const std::wstring &text, bool dynamic, uint32_t position, double angle) {
    WatermarkRecord wm;
    MakeDefaultWatermark(&wm);
    Copy(wm.name, name);
    Copy(wm.text, text);
    wm.dynamicText = dynamic ? 1 : 0;
    wm.position = position;
    wm.angle = angle;
    wm.pointSize = 28;
    wm.intensity = 40;
    return wm;
}

}  // namespace

std::string JobSpec::Name() const {
    char text[200];
    std::snprintf(text, sizeof(text), "thread %d, job %d (%s, %d page%s, %d-up%s%s%s)", thread, index,
                  DestinationName(destination), pages, pages == 1 ? "" : "s", pagesPerSheet,
                  rotate ? ", rotated" : "", manualDuplex ? ", manual duplex" : "",
                  dynamicMark ? ", dynamic watermark" : "");
    return text;
}

std::vector<std::wstring> SecretsOf(const JobSpec &job) {
    std::vector<std::wstring> secrets{job.user, job.document, job.mark};
    if (!job.pin.empty()) secrets.push_back(job.pin);
    return secrets;
}

JobSpec MakeJob(int thread, int index, int serial, int pages, const std::wstring &threadFolder) {
    JobSpec job;
    job.thread = thread;
    job.index = index;
    job.pages = pages;
    job.user = Tagged(L"user-", thread, index);
    job.document = Tagged(L"Report ", thread, index);
    job.mark = Tagged(L"Mark ", thread, index);
    job.recipient = Tagged(L"Recipient ", thread, index);
    job.destination = kDestinations[(thread + index) % 5];
    if (job.destination == DEST_CONFIDENTIAL) job.pin = PinFor(serial);
    job.pagesPerSheet = kPagesPerSheet[(thread + index / 5) % 6];
    job.rotate = (thread + index) % 3 == 1;
    // The cover page ends a fax; the prompt's second pass would follow it.
    job.manualDuplex = index % 5 == 3 && job.destination != DEST_FAX && pages >= 2;
    job.dynamicMark = index % 2 == 0;
    job.watermarkOrder = static_cast<uint32_t>(index % 3 + 1);
    job.markOverPage = (index / 3) % 2 == 1;
    job.outputFile = threadFolder + L"\\file-destination.prn";
    // A fixed instant per job: its dynamic watermark shows the job's date.
    job.startTime.wYear = 2024;
    job.startTime.wMonth = static_cast<WORD>(1 + thread % 12);
    job.startTime.wDay = static_cast<WORD>(1 + index % 28);
    job.startTime.wHour = static_cast<WORD>(8 + index % 10);
    job.startTime.wMinute = static_cast<WORD>(index % 60);
    job.startTime.wSecond = static_cast<WORD>(thread % 60);
    return job;
}

void FillSettings(const JobSpec &job, PrivateDevmode *s) {
    MakeDefaultPrivateDevmode(s);
    s->outputDestination = job.destination;
    Copy(s->holdUserName, job.user);
    Copy(s->holdPin, job.pin);
    if (job.destination == DEST_FILE) Copy(s->outputFilePath, job.outputFile);
    if (job.destination == DEST_FAX) {
        Copy(s->fax.recipientFaxNumber, L"+1 555 0100");
        Copy(s->fax.stationId, L"Print server");
        Copy(s->fax.recipientName, job.recipient);
        Copy(s->fax.senderName, job.user);
        Copy(s->fax.senderCompany, L"Sender Works");
        Copy(s->fax.comments, L"The pages of " + job.document + L" follow.");
        s->fax.sendCoverPage = 1;
        s->fax.coverPageParts = kCoverRecipient | kCoverSender | kCoverComments;
    }
    s->rotate180 = job.rotate ? 1 : 0;
    s->watermarksEnabled = 1;
    s->watermarkOrder = job.watermarkOrder;
    s->watermarkOverPage = job.markOverPage ? 1 : 0;
    const std::wstring dynamic = job.mark + L" %Username% page %pagenumber% %dateshort%";
    s->watermarks[0] = Mark(L"First", job.dynamicMark ? dynamic : job.mark, job.dynamicMark, WM_POS_CENTER, 45.0);
    s->watermarks[1] = Mark(L"Second", job.mark, false, WM_POS_BOTTOM_LEFT, 0.0);
    ValidatePrivateDevmode(s);
}

}  // namespace parallel
