// Where renderplug sends the job's bytes: the spooler, the output file of the
// File and EPS destinations, or nowhere; which output paths it refuses; and
// that a job's file is opened once and held until the job's device goes.
#include <gtest/gtest.h>

#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

#include "render/output_path.h"
#include "tests/host/guarded_buffer.h"
#include "tests/host/import_patch.h"
#include "tests/host/render_host.h"

using namespace testbed;

namespace {

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WriteFileBytes(const std::wstring &path, const std::string &bytes) {
    unique_hfile f(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD done = 0;
    return f && WriteFile(f.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
           done == bytes.size();
}

bool IsOpenElsewhere(const std::wstring &path) {
    unique_hfile f(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return !f && GetLastError() == ERROR_SHARING_VIOLATION;
}

// Every CreateFileW renderplug makes, on its way to the system.
struct OpenCall {
    std::wstring path;
    DWORD flags;
};
std::vector<OpenCall> openCalls;
decltype(&CreateFileW) realCreateFileW = nullptr;

HANDLE WINAPI RecordingCreateFileW(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                   DWORD disposition, DWORD flags, HANDLE templateFile) {
    openCalls.push_back({name ? name : L"(null)", flags});
    return realCreateFileW(name, access, share, security, disposition, flags, templateFile);
}

class RecordedOpens {
public:
    explicit RecordedOpens(HMODULE renderplug)
        : patch_(renderplug, "kernel32.dll", "CreateFileW", reinterpret_cast<void *>(&RecordingCreateFileW)) {
        realCreateFileW = reinterpret_cast<decltype(&CreateFileW)>(patch_.original());
        openCalls.clear();
    }
    bool ok() const { return patch_.ok(); }

private:
    ImportPatch patch_;
};

// A pipe server waiting for the first client that would open it.
class PipeListener {
public:
    explicit PipeListener(const std::wstring &name)
        : pipe_(CreateNamedPipeW((L"\\\\.\\pipe\\" + name).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                                 PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr)),
          event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        overlapped_.hEvent = event_.get();
        listening_ = pipe_ && event_ && !ConnectNamedPipe(pipe_.get(), &overlapped_) &&
                     GetLastError() == ERROR_IO_PENDING;
    }
    ~PipeListener() {
        if (listening_) {
            CancelIoEx(pipe_.get(), &overlapped_);
            DWORD ignored = 0;
            GetOverlappedResult(pipe_.get(), &overlapped_, &ignored, TRUE);
        }
    }
    bool listening() const { return listening_; }
    bool connected() const { return WaitForSingleObject(event_.get(), 0) == WAIT_OBJECT_0; }

private:
    unique_hfile pipe_;
    unique_handle event_;
    OVERLAPPED overlapped_{};
    bool listening_ = false;
};

class RenderOutput : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.Start(&error)) << Narrow(error);
        dir = ScratchDir(L"render-output");
    }

    void SendTo(HostDevice &device, DWORD destination, const std::wstring &path) {
        device.settings()->outputDestination = destination;
        wcsncpy(device.settings()->outputFilePath, path.c_str(), 511);
        device.settings()->outputFilePath[511] = L'\0';
    }

    HRESULT Write(HostDevice &device, const std::string &bytes, DWORD *written = nullptr) {
        DWORD scratch = 0xFFFF;
        return host.plugin()->WritePrinter(device.dev(), const_cast<char *>(bytes.data()),
                                           static_cast<DWORD>(bytes.size()), written ? written : &scratch);
    }

    // The next job through the same plug-in object, on a fresh device, once
    // the device of the job before is disabled.
    HostDevice &NextJob(HostDevice *ending = nullptr) {
        EXPECT_EQ(host.DisablePdev(ending ? *ending : host.device()), S_OK);
        HostDevice *next = host.NewDevice(&error);
        EXPECT_NE(next, nullptr) << Narrow(error);
        EXPECT_EQ(host.EnablePdev(*next), S_OK);
        return *next;
    }

    RenderHost host;
    std::wstring error;
    std::wstring dir;
};

}  // namespace

TEST_F(RenderOutput, DriverProbeAndIncompleteCalls) {
    IPrintOemPS2 *p = host.plugin();
    EXPECT_EQ(p->WritePrinter(nullptr, nullptr, 0, nullptr), S_OK);
    char byte = 'x';
    DWORD written = 0;
    EXPECT_EQ(p->WritePrinter(nullptr, &byte, 1, &written), S_FALSE);
    EXPECT_EQ(p->WritePrinter(host.device().dev(), nullptr, 1, &written), S_FALSE);
    EXPECT_EQ(p->WritePrinter(host.device().dev(), &byte, 1, nullptr), S_FALSE);
    for (int missing = 0; missing < 3; ++missing) {
        DEVOBJ dev = *host.device().dev();
        if (missing == 0) dev.pOEMDM = nullptr;
        if (missing == 1) dev.pPublicDM = nullptr;
        if (missing == 2) dev.hPrinter = nullptr;
        EXPECT_EQ(p->WritePrinter(&dev, &byte, 1, &written), S_FALSE) << missing;
    }
}

TEST_F(RenderOutput, FileDestinationTruncatesOnceThenAppendsAcrossJobs) {
    for (DWORD destination : {DEST_FILE, DEST_EPS}) {
        RenderHost fresh;  // a new plug-in object starts its output file afresh
        ASSERT_TRUE(fresh.Start(&error)) << Narrow(error);
        std::wstring out = dir + L"\\job" + std::to_wstring(destination) + L".prn";
        ASSERT_TRUE(WriteFileBytes(out, "left over from an earlier print run"));
        HostDevice &device = fresh.device();
        device.settings()->outputDestination = destination;
        wcscpy(device.settings()->outputFilePath, out.c_str());
        std::string ab = "AB", cd = "CD";
        DWORD written = 0;
        ASSERT_EQ(fresh.plugin()->WritePrinter(device.dev(), ab.data(), 2, &written), S_OK);
        EXPECT_EQ(written, 2u) << "the file took the whole buffer";
        EXPECT_EQ(ReadFileBytes(out), "AB");
        ASSERT_EQ(fresh.plugin()->WritePrinter(device.dev(), cd.data(), 2, &written), S_OK);
        EXPECT_EQ(ReadFileBytes(out), "ABCD");
        EXPECT_EQ(fresh.core().Spooled(), "") << "nothing goes into the driver's stream";
    }

    std::wstring out = dir + L"\\twojobs.prn";
    ASSERT_TRUE(WriteFileBytes(out, "stale"));
    SendTo(host.device(), DEST_FILE, out);
    ASSERT_EQ(Write(host.device(), "first job "), S_OK);
    HostDevice &second = NextJob();
    SendTo(second, DEST_FILE, out);
    ASSERT_EQ(Write(second, "second job"), S_OK);
    EXPECT_EQ(ReadFileBytes(out), "first job second job");
}

TEST_F(RenderOutput, DiscardedOutputGoesNowhere) {
    std::wstring out = dir + L"\\discarded.prn";
    DeleteFileW(out.c_str());
    SendTo(host.device(), DEST_FILE, out);
    host.device().settings()->discardOutput = 1;
    DWORD written = 0xFFFF;
    EXPECT_EQ(Write(host.device(), "whatever", &written), S_OK);
    EXPECT_EQ(written, 8u) << "taken, though nowhere";
    EXPECT_FALSE(Exists(out));
}

TEST_F(RenderOutput, PrinterDestinationWritesThroughTheSpooler) {
    HostDevice &device = host.device();
    std::wstring out = dir + L"\\spooled.prn";
    DeleteFileW(out.c_str());
    DOC_INFO_1W doc{};
    doc.pDocName = const_cast<wchar_t *>(L"render output test");
    doc.pOutputFile = const_cast<wchar_t *>(out.c_str());
    doc.pDatatype = const_cast<wchar_t *>(L"RAW");
    ASSERT_NE(StartDocPrinterW(device.printer.get(), 1, reinterpret_cast<BYTE *>(&doc)), 0u);
    DWORD written = 0;
    EXPECT_EQ(Write(device, "%!PS spooled", &written), S_OK);
    EXPECT_EQ(written, 12u);
    GuardedBuffer one(1, GuardedBuffer::Guard::After);
    one.data()[0] = '\n';
    EXPECT_EQ(host.plugin()->WritePrinter(device.dev(), one.data(), 1, &written), S_OK);
    EXPECT_EQ(written, 1u);
    ASSERT_TRUE(EndDocPrinter(device.printer.get()));
    EXPECT_EQ(ReadFileBytes(out), "%!PS spooled\n");
    EXPECT_EQ(host.core().Spooled(), "");
}

TEST_F(RenderOutput, OneByteBuffersAtTheEdgeOfMemory) {
    std::wstring out = dir + L"\\edge.prn";
    SendTo(host.device(), DEST_FILE, out);
    GuardedBuffer after(1, GuardedBuffer::Guard::After), before(1, GuardedBuffer::Guard::Before);
    after.data()[0] = 'A';
    before.data()[0] = 'B';
    GuardedBuffer written(sizeof(DWORD));
    ASSERT_EQ(host.plugin()->WritePrinter(host.device().dev(), after.data(), 1, written.as<DWORD>()), S_OK);
    ASSERT_EQ(host.plugin()->WritePrinter(host.device().dev(), before.data(), 1, written.as<DWORD>()), S_OK);
    EXPECT_EQ(ReadFileBytes(out), "AB");
}

// The output path is any application's to set, and the renderer may run with
// more rights: device paths, namespace escapes, streams, relative names and
// directories are refused before or right after opening, and nothing is written.
TEST_F(RenderOutput, RefusedOutputPathsWriteNothing) {
    std::wstring relative = L"renderplug-relative.prn";
    std::wstring viaNamespace = dir + L"\\namespace.prn";
    std::wstring stream = dir + L"\\stream.prn";
    wchar_t windowsDir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windowsDir, MAX_PATH), 0u);
    const std::wstring refused[] = {
        relative,
        L"C:renderplug-drive-relative.prn",
        L"\\renderplug-rooted.prn",
        L"\\\\.\\NUL",
        L"\\\\.\\pipe\\renderplug-test",
        L"//./NUL",
        L"\\\\?\\" + viaNamespace,
        L"\\??\\" + viaNamespace,
        stream + L":hidden",
        dir,                                  // a directory
        std::wstring(windowsDir) + L"\\NUL",  // a device behind an ordinary-looking name
        L"",
    };
    for (const auto &left : {relative, viaNamespace, stream}) DeleteFileW(left.c_str());
    for (const auto &path : refused) {
        // Each on a plug-in object whose output file has not been started, so
        // that its first write would create the file.
        RenderHost fresh;
        ASSERT_TRUE(fresh.Start(&error)) << Narrow(error);
        SendTo(fresh.device(), DEST_FILE, path);
        std::string secret = "secret";
        DWORD written = 0xFFFF;
        EXPECT_EQ(fresh.plugin()->WritePrinter(fresh.device().dev(), secret.data(), 6, &written), S_FALSE)
            << Narrow(path);
        EXPECT_EQ(written, 0u) << Narrow(path);
    }
    EXPECT_FALSE(Exists(relative));
    EXPECT_FALSE(Exists(viaNamespace));
    EXPECT_FALSE(Exists(stream));

    // An unterminated path fills the whole array.
    SendTo(host.device(), DEST_FILE, dir + L"\\x.prn");
    wchar_t *path = host.device().settings()->outputFilePath;
    for (size_t i = wcslen(path); i < 512; ++i) path[i] = L'a';
    EXPECT_EQ(Write(host.device(), "secret"), S_FALSE);

    // None of the refused writes counts as the start of the output file:
    // after all of them, the first accepted one still truncates.
    for (const auto &path : refused) {
        SendTo(host.device(), DEST_FILE, path);
        EXPECT_EQ(Write(host.device(), "secret"), S_FALSE) << Narrow(path);
    }
    std::wstring out = dir + L"\\after-refusals.prn";
    ASSERT_TRUE(WriteFileBytes(out, "stale bytes"));
    SendTo(host.device(), DEST_FILE, out);
    ASSERT_EQ(Write(host.device(), "fresh"), S_OK);
    EXPECT_EQ(ReadFileBytes(out), "fresh");
}

// Channels that would take on the renderer's identity, and device names in
// any component, are refused before renderplug opens anything at all. Wine
// does not route \\host\pipe\x to a local pipe, so the recorded opens are
// what shows those were never tried; the listening pipe shows it for the
// local device path, which Wine does connect.
TEST_F(RenderOutput, ChannelsAndDeviceNamesAreRefusedBeforeAnyOpen) {
    RecordedOpens opens(host.module());
    ASSERT_TRUE(opens.ok());
    const std::wstring pipe = L"renderplug-out-" + std::to_wstring(GetCurrentProcessId());
    PipeListener listener(pipe);
    ASSERT_TRUE(listener.listening());
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD chars = ARRAYSIZE(computer);
    ASSERT_TRUE(GetComputerNameW(computer, &chars));
    const std::wstring refused[] = {
        L"\\\\.\\pipe\\" + pipe,
        L"\\\\localhost\\pipe\\" + pipe,
        L"\\\\127.0.0.1\\pipe\\" + pipe,
        L"\\\\" + std::wstring(computer) + L"\\PIPE\\" + pipe,
        L"\\\\localhost\\pipe. \\" + pipe,
        L"\\\\127.0.0.1\\IPC$\\" + pipe,
        L"\\\\localhost\\mailslot\\renderplug",
        L"\\\\host@80\\dav\\out.prn",
        L"\\\\host@SSL\\dav\\out.prn",
        L"\\\\host@SSL@443\\dav\\out.prn",
        dir + L"\\NUL.txt",
        dir + L"\\com1 .log",
        dir + L"\\Lpt9",
        dir + L"\\LPT\u00B9.prn",
        dir + L"\\CONOUT$",
        dir + L"\\conin$.txt",
        dir + L"\\aux.",
        dir + L"\\nul\\out.prn",
        L"COM1",
    };
    for (const auto &path : refused) {
        SendTo(host.device(), DEST_FILE, path);
        DWORD written = 0xFFFF;
        EXPECT_EQ(Write(host.device(), "secret", &written), S_FALSE) << Narrow(path);
        EXPECT_EQ(written, 0u) << Narrow(path);
        EXPECT_TRUE(openCalls.empty()) << Narrow(path) << " reached " << Narrow(openCalls.front().path);
        openCalls.clear();
    }
    EXPECT_FALSE(listener.connected());

    // A plain file: one open for the whole job, identifying only.
    SendTo(host.device(), DEST_FILE, dir + L"\\plain.prn");
    ASSERT_EQ(Write(host.device(), "one "), S_OK);
    ASSERT_EQ(Write(host.device(), "two"), S_OK);
    ASSERT_EQ(openCalls.size(), 1u);
    EXPECT_EQ(openCalls[0].flags & (SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION),
              static_cast<DWORD>(SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION));
    EXPECT_EQ(ReadFileBytes(dir + L"\\plain.prn"), "one two");
}

// What is done to the folders after the job's first write cannot send the rest
// elsewhere. Wine makes no junctions (FSCTL_SET_REPARSE_POINT answers
// ERROR_NOT_SUPPORTED), so the folder is swapped by renaming it away and
// making a new one of the same name. Windows would refuse that rename while
// the job's file is open in the folder.
TEST_F(RenderOutput, AFolderSwappedBetweenTwoBuffersReceivesNothing) {
    const std::wstring folder = dir + L"\\swapped", away = dir + L"\\swapped-away";
    for (const auto &left : {folder, away}) {
        DeleteFileW((left + L"\\job.prn").c_str());
        RemoveDirectoryW(left.c_str());
    }
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    SendTo(host.device(), DEST_FILE, folder + L"\\job.prn");
    ASSERT_EQ(Write(host.device(), "first "), S_OK);
    ASSERT_TRUE(MoveFileW(folder.c_str(), away.c_str()));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    ASSERT_EQ(Write(host.device(), "second"), S_OK);
    EXPECT_FALSE(Exists(folder + L"\\job.prn"));
    EXPECT_EQ(ReadFileBytes(away + L"\\job.prn"), "first second");
}

TEST_F(RenderOutput, ALaterJobNamingAnotherPathCreatesItsFile) {
    const std::wstring first = dir + L"\\first-job.prn", other = dir + L"\\other-job.prn";
    DeleteFileW(other.c_str());
    SendTo(host.device(), DEST_FILE, first);
    ASSERT_EQ(Write(host.device(), "first job"), S_OK);
    HostDevice &second = NextJob();
    SendTo(second, DEST_FILE, other);
    ASSERT_EQ(Write(second, "second job"), S_OK);
    EXPECT_EQ(ReadFileBytes(other), "second job");
    EXPECT_EQ(ReadFileBytes(first), "first job");

    // The same file named again, in other case and separators: it appends.
    std::wstring same = other;
    for (wchar_t &c : same) c = c == L'\\' ? L'/' : static_cast<wchar_t>(towupper(c));
    HostDevice &third = NextJob(&second);
    SendTo(third, DEST_FILE, same);
    ASSERT_EQ(Write(third, " third"), S_OK);
    EXPECT_EQ(ReadFileBytes(other), "second job third");
}

// The job's file is held from its first write until the driver disables the
// job's last device, across a reset of the device context, and then closed.
TEST_F(RenderOutput, TheJobsFileIsHeldUntilItsDeviceIsDisabled) {
    const std::wstring out = dir + L"\\held.prn";
    RecordedOpens opens(host.module());
    ASSERT_TRUE(opens.ok());
    SendTo(host.device(), DEST_FILE, out);
    ASSERT_EQ(Write(host.device(), "AB"), S_OK);
    EXPECT_TRUE(IsOpenElsewhere(out));

    HostDevice *successor = host.NewDevice(&error);
    ASSERT_NE(successor, nullptr) << Narrow(error);
    ASSERT_EQ(host.EnablePdev(*successor), S_OK);
    SendTo(*successor, DEST_FILE, out);
    ASSERT_EQ(host.ResetPdev(host.device(), *successor), S_OK);
    ASSERT_EQ(host.DisablePdev(host.device()), S_OK);
    EXPECT_TRUE(IsOpenElsewhere(out)) << "the successor carries on with the file";
    ASSERT_EQ(Write(*successor, "CD"), S_OK);
    EXPECT_EQ(openCalls.size(), 1u);

    ASSERT_EQ(host.DisablePdev(*successor), S_OK);
    EXPECT_FALSE(IsOpenElsewhere(out));
    EXPECT_EQ(ReadFileBytes(out), "ABCD");
}

// Wine gives no process a service account's token; the rule itself is tested
// on token facts (run_identity_test.cpp). Here a thread whose token can only
// identify its client, which could open nothing on Windows, shows that the
// rule stands between every job and its file.
TEST_F(RenderOutput, AThreadThatOnlyIdentifiesItsClientWritesNoFile) {
    const std::wstring out = dir + L"\\identifying.prn";
    DeleteFileW(out.c_str());
    SendTo(host.device(), DEST_FILE, out);
    ASSERT_TRUE(ImpersonateSelf(SecurityIdentification));
    DWORD written = 0xFFFF;
    const HRESULT hr = Write(host.device(), "secret", &written);
    RevertToSelf();
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(written, 0u);
    EXPECT_FALSE(Exists(out));
    EXPECT_EQ(host.core().Spooled(), "") << "nor do the bytes go anywhere else";

    ASSERT_EQ(Write(host.device(), "mine"), S_OK);
    EXPECT_EQ(ReadFileBytes(out), "mine");
}

TEST(RenderOutputPath, AcceptsOnlyPlainDriveAndSharePaths) {
    const wchar_t *accepted[] = {
        L"C:\\out.prn",
        L"z:\\dir\\sub\\out.prn",
        L"C:/dir/out.prn",
        L"\\\\server\\share\\out.prn",
        L"\\\\server\\share\\dir\\out.prn",
        // Near misses of the refused channels and device names.
        L"\\\\server\\pipes\\out.prn",
        L"\\\\server\\share\\pipe\\out.prn",
        L"C:\\dir\\console.prn",
        L"C:\\dir\\com10.prn",
        L"C:\\dir\\lpt.prn",
        L"C:\\dir\\nul_out.prn",
        L"C:\\dir\\out.nul",
    };
    for (const wchar_t *path : accepted) EXPECT_TRUE(IsAcceptableOutputPath(path, 512)) << Narrow(path);
    const wchar_t *refused[] = {
        L"out.prn",
        L"C:out.prn",
        L"C:\\",
        L"1:\\out.prn",
        L"\\out.prn",
        L"\\\\server",
        L"\\\\server\\share",
        L"\\\\server\\share\\",
        L"\\\\\\share\\out.prn",
        L"\\\\.\\C:\\out.prn",
        L"\\\\?\\C:\\out.prn",
        L"\\\\?\\UNC\\server\\share\\out.prn",
        L"\\??\\C:\\out.prn",
        L"//?/C:/out.prn",
        L"\\/.\\NUL",
        L"C:\\out.prn:stream",
        L"C:\\out.prn::$DATA",
        L"\\\\server\\share\\out.prn:stream",
        L"\\\\server:1\\share\\out.prn",
        L"\\\\server\\Pipe..\\out",
        L"\\\\server\\ipc$\\out",
        L"\\\\server\\MailSlot\\out",
        L"C:\\dir\\con.prn",
        L"C:\\dir\\Com1.tar.gz",
        L"C:\\dir\\lpt0",
        L"C:\\AUX\\out.prn",
        L"\\\\server\\share\\PRN...",
        L"\\\\server\\share\\com\u00B2.prn",
    };
    for (const wchar_t *path : refused) EXPECT_FALSE(IsAcceptableOutputPath(path, 512)) << Narrow(path);
    EXPECT_FALSE(IsAcceptableOutputPath(nullptr, 512));
    // The string must end inside the array it lives in.
    EXPECT_FALSE(IsAcceptableOutputPath(L"C:\\out.prn", 10));
    EXPECT_TRUE(IsAcceptableOutputPath(L"C:\\out.prn", 11));
}
