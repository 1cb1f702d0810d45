#include "render/job_stream.h"

#include <cstdarg>

#include "render/driver_queries.h"
#include "render/job_text.h"

namespace {

// Fixed texts. ESC %-12345X is the universal exit that hands the printer back
// to PJL from whatever language it is in. Formats name their arguments in
// order; a line's line feed is added when it is written.
constexpr char kJobStart[] = "\x1b%-12345X@PJL JOB\n@PJL SET XMULTIPAGEPRINT=OFF\n";
constexpr char kJobInfoUserHost[] = "@PJL XJOBINFO USERID = \"%s\" HOSTID = \"%s\"";  // user, computer
constexpr char kJobInfoHost[] = "@PJL XJOBINFO HOSTID = \"%s\"";                      // computer
constexpr char kAccountNumber[] = " ACCOUNTNUMBER = \"%s\"";                          // account number
constexpr char kJobName[] = "@PJL SET JOBNAME = \"%s\"";                              // document name

constexpr char kFaxNumber[] = "@PJL XFAX PHONENUMBER = \"%s\" STATIONID = \"%s\"";  // number, station
constexpr char kFaxResolution[] = "@PJL SET XFAXRESOLUTION = %s";                   // word
constexpr char kFaxResolutionFine[] = "FINE";
constexpr char kHoldUserName[] = "@PJL SET USERNAME = \"%s\"";  // hold user name
constexpr char kHold[] = "@PJL SET HOLD = %s";                  // word
constexpr char kHoldType[] = "@PJL SET HOLDTYPE = %s";          // word
constexpr char kHoldKey[] = "@PJL SET HOLDKEY = \"%s\"";        // PIN
constexpr char kQuantity[] = "@PJL SET QTY = %d";               // copies

constexpr char kColorCorrection[] = "@PJL SET XCOLORCORRECTION = %s";  // word
constexpr char kBalanceCyan[] = "@PJL SET XCOLORBALANCECYAN = %d";     // signed level
constexpr char kBalanceMagenta[] = "@PJL SET XCOLORBALANCEMAGENTA = %d";
constexpr char kBalanceYellow[] = "@PJL SET XCOLORBALANCEYELLOW = %d";
constexpr char kBalanceBlack[] = "@PJL SET XCOLORBALANCEBLACK = %d";
constexpr char kColorThrift[] = "@PJL SET XCOLORTHRIFT = %s";              // word
constexpr char kDuplicateHeldJobs[] = "@PJL SET XDUPLICATEHELDJOBS = %s";  // word
constexpr char kReadyMessage[] = "@PJL RDYMSG DISPLAY = \"%s\"";           // document name
constexpr char kEnterPostScript[] = "@PJL ENTER LANGUAGE = Postscript ";

constexpr char kTrailerReadyMessage[] = "\x1b%-12345X@PJL RDYMSG DISPLAY = \"\"\n";
constexpr char kTrailerEnd[] = "\x1b%-12345X@PJL EOJ\n\x1b%-12345X";

// Hold handling per print-and-hold destination; a null hold type writes no line.
struct HoldGroup {
    uint32_t destination;
    const char *hold;
    const char *holdType;
};
constexpr HoldGroup kHoldGroups[] = {
    {DEST_CONFIDENTIAL, "ON", "PRIVATE"},
    {DEST_RESERVE, "STORE", nullptr},
    {DEST_REPEAT, "ON", "PUBLIC"},
    {DEST_VERIFY, "PROOF", nullptr},
};

// Colour words by field value; index 0 (and a null entry) means no line.
constexpr const char *kCorrectionWords[] = {nullptr, "OFF", "AUTO", "MANUAL"};
constexpr const char *kRgbWords[] = {nullptr, "SRGBDISPLAY", "SRGBVIVID", "VIVID", "OFF"};
constexpr const char *kCmykWords[] = {nullptr, "USCMYK", "EUROCMYK", "VIVIDCMYK", "OFF"};

struct ManualColorLine {
    const char *format;  // word
    uint32_t ColorSettings::*field;
    const char *const *words;
};
constexpr ManualColorLine kManualColorLines[] = {
    {"@PJL SET XMANUALCOLORRGBTEXT = %s", &ColorSettings::rgbText, kRgbWords},
    {"@PJL SET XMANUALCOLORRGBGRAPHICS = %s", &ColorSettings::rgbGraphics, kRgbWords},
    {"@PJL SET XMANUALCOLORRGBIMAGE = %s", &ColorSettings::rgbImage, kRgbWords},
    {"@PJL SET XMANUALCOLORCMYKTEXT = %s", &ColorSettings::cmykText, kCmykWords},
    {"@PJL SET XMANUALCOLORCMYKGRAPHICS = %s", &ColorSettings::cmykGraphics, kCmykWords},
    {"@PJL SET XMANUALCOLORCMYKIMAGE = %s", &ColorSettings::cmykImage, kCmykWords},
};
constexpr uint32_t kManualCorrection = 3;
constexpr uint32_t kThriftOn = 2;

constexpr DWORD kComputerNameBuffer = 17;  // 16 characters and the zero
constexpr DWORD kUserNameBuffer = 2048;

// One PJL line in a block of its own; no memory costs only this line.
__attribute__((format(printf, 3, 4))) void WritePjlLine(const DEVOBJ *dev, IPrintCorePS2 *helper,
                                                        const char *format, ...) {
    TextLine line;
    if (!line.ok()) return;
    va_list args;
    va_start(args, format);
    line.AppendArgs(format, args);
    va_end(args);
    line.EndLine();
    line.WriteTo(dev, helper);
}

bool IsHoldDestination(uint32_t destination) {
    return destination >= DEST_CONFIDENTIAL && destination <= DEST_VERIFY;
}

// --- job header ------------------------------------------------------------

void ReadComputerName(char (&name)[kComputerNameBuffer]) {
    DWORD size = kComputerNameBuffer;
    if (!GetComputerNameA(name, &size)) name[0] = '\0';
    name[kComputerNameBuffer - 1] = '\0';
    SanitizePjlValue(name);
}

// The rendering user's name in a heap block, or an empty pointer.
unique_process_heap_ptr ReadUserName() {
    unique_process_heap_ptr block = AllocateTextBuffer(kUserNameBuffer);
    if (!block) return block;
    char *name = static_cast<char *>(block.get());
    DWORD size = kUserNameBuffer;
    if (!GetUserNameA(name, &size)) return unique_process_heap_ptr();
    name[kUserNameBuffer - 1] = '\0';
    SanitizePjlValue(name);
    return block;
}

void WriteJobInfo(TextLine &line, const DEVOBJ *dev, IPrintCorePS2 *helper, const PrivateDevmode &dm) {
    char computer[kComputerNameBuffer];
    ReadComputerName(computer);
    unique_process_heap_ptr user = ReadUserName();
    if (user)
        line.Format(kJobInfoUserHost, static_cast<const char *>(user.get()), computer);
    else
        line.Format(kJobInfoHost, computer);
    char account[kLineBufferSize];
    if (dm.accountNumberEnabled && ToPjlValue(dm.accountNumber, account)) line.Append(kAccountNumber, account);
    line.EndLine();
    line.WriteTo(dev, helper);
}

void WriteJobName(TextLine &line, const DEVOBJ *dev, IPrintCorePS2 *helper, const DeviceState &state) {
    char name[kLineBufferSize];
    if (!ToPjlValue(state.documentName, name)) return;
    line.Format(kJobName, name);
    line.EndLine();
    line.WriteTo(dev, helper);
}

// --- job settings ----------------------------------------------------------

void WriteFaxGroup(const DEVOBJ *dev, IPrintCorePS2 *helper, const FaxInfo &fax) {
    char number[kLineBufferSize];
    char station[kLineBufferSize];
    if (ToPjlValue(fax.recipientFaxNumber, number) && ToPjlValue(fax.stationId, station))
        WritePjlLine(dev, helper, kFaxNumber, number, station);
    // The printer's fax card only sends fine resolution, whatever was chosen.
    WritePjlLine(dev, helper, kFaxResolution, kFaxResolutionFine);
}

void WriteHoldGroup(const DEVOBJ *dev, IPrintCorePS2 *helper, const PrivateDevmode &dm, const HoldGroup &group) {
    char user[kLineBufferSize];
    if (ToPjlValue(dm.holdUserName, user)) WritePjlLine(dev, helper, kHoldUserName, user);
    WritePjlLine(dev, helper, kHold, group.hold);
    if (group.holdType) WritePjlLine(dev, helper, kHoldType, group.holdType);
    if (group.destination == DEST_CONFIDENTIAL) {
        char pin[kLineBufferSize];
        if (!ToPjlValue(dm.holdPin, pin)) pin[0] = '\0';
        WritePjlLine(dev, helper, kHoldKey, pin);
    }
    if (group.destination == DEST_VERIFY && dev->pPublicDM)
        WritePjlLine(dev, helper, kQuantity, static_cast<int>(dev->pPublicDM->dmCopies));
}

void WriteDestinationGroup(const DEVOBJ *dev, IPrintCorePS2 *helper, const PrivateDevmode &dm) {
    if (dm.outputDestination == DEST_FAX) {
        WriteFaxGroup(dev, helper, dm.fax);
        return;
    }
    for (const HoldGroup &group : kHoldGroups) {
        if (group.destination == dm.outputDestination) WriteHoldGroup(dev, helper, dm, group);
    }
}

// Values 1..4 pick a word; anything else prints nothing.
const char *ManualColorWord(const ManualColorLine &entry, const ColorSettings &color) {
    uint32_t value = color.*entry.field;
    return value >= 1 && value <= 4 ? entry.words[value] : nullptr;
}

void WriteColorCorrection(const DEVOBJ *dev, IPrintCorePS2 *helper, const ColorSettings &color) {
    if (color.correction == 0) return;
    // Any correction beyond the known words is treated as manual.
    const char *word = color.correction < 3 ? kCorrectionWords[color.correction] : kCorrectionWords[3];
    WritePjlLine(dev, helper, kColorCorrection, word);
    if (color.correction != kManualCorrection) return;
    for (const ManualColorLine &entry : kManualColorLines) {
        if (const char *w = ManualColorWord(entry, color)) WritePjlLine(dev, helper, entry.format, w);
    }
}

void WriteColorBalance(const DEVOBJ *dev, IPrintCorePS2 *helper, const ColorSettings &color) {
    if (!color.balanceEnabled) return;
    WritePjlLine(dev, helper, kBalanceCyan, static_cast<int>(color.balanceCyan));
    WritePjlLine(dev, helper, kBalanceMagenta, static_cast<int>(color.balanceMagenta));
    WritePjlLine(dev, helper, kBalanceYellow, static_cast<int>(color.balanceYellow));
    WritePjlLine(dev, helper, kBalanceBlack, static_cast<int>(color.balanceBlack));
}

void WriteColorThrift(const DEVOBJ *dev, IPrintCorePS2 *helper, const ColorSettings &color) {
    if (!color.colorThrift) return;
    WritePjlLine(dev, helper, kColorThrift, color.colorThrift == kThriftOn ? "ON" : "OFF");
}

void WriteDuplicateHeldJobs(const DEVOBJ *dev, IPrintCorePS2 *helper, const PrivateDevmode &dm) {
    if (!IsHoldDestination(dm.outputDestination)) return;
    if (!HasPpdFeature(dev, helper, "HasKeepPreviousPHJobs")) return;
    WritePjlLine(dev, helper, kDuplicateHeldJobs, dm.keepDuplicateHeldJobs ? "SAVE" : "DELETE");
}

void WriteLanguageSwitch(const DEVOBJ *dev, IPrintCorePS2 *helper, const DeviceState &state) {
    char name[kLineBufferSize];
    if (ToPjlValue(state.documentName, name)) WritePjlLine(dev, helper, kReadyMessage, name);
    TextLine line;
    if (!line.ok()) return;
    line.AppendText(kEnterPostScript);
    line.EndLine();
    line.WriteTo(dev, helper);
}

}  // namespace

bool WriteJobHeader(const DEVOBJ *dev, IPrintCorePS2 *helper) {
    const PrivateDevmode *dm = JobDevmodeOf(dev);
    const DeviceState *state = StateOf(dev);
    if (!dm || !state) return false;
    TextLine line;
    if (!line.ok()) return false;
    line.AppendText(kJobStart);
    line.WriteTo(dev, helper);
    WriteJobInfo(line, dev, helper, *dm);
    WriteJobName(line, dev, helper, *state);
    return true;
}

bool WriteJobSettings(const DEVOBJ *dev, IPrintCorePS2 *helper) {
    const PrivateDevmode *dm = JobDevmodeOf(dev);
    const DeviceState *state = StateOf(dev);
    if (!dm || !state) return false;
    WriteDestinationGroup(dev, helper, *dm);
    WriteColorCorrection(dev, helper, dm->color);
    WriteColorBalance(dev, helper, dm->color);
    WriteColorThrift(dev, helper, dm->color);
    WriteDuplicateHeldJobs(dev, helper, *dm);
    WriteLanguageSwitch(dev, helper, *state);
    return true;
}

bool WriteJobTrailer(const DEVOBJ *dev, IPrintCorePS2 *helper) {
    TextLine line;
    if (!line.ok()) return false;
    line.AppendText(kTrailerReadyMessage);
    line.WriteTo(dev, helper);
    line.Clear();
    line.AppendText(kTrailerEnd);
    line.WriteTo(dev, helper);
    return true;
}
