// Where renderplug sends the job's bytes: the spooler, the output file of the
// File and EPS destinations, or nowhere; and which output paths it refuses.
#include <gtest/gtest.h>

#include <cwchar>
#include <string>

#include "render/write_printer.h"
#include "tests/host/guarded_buffer.h"
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

    // A second job through the same plug-in object, on a fresh device.
    HostDevice &NextJob() {
        EXPECT_EQ(host.DisablePdev(host.device()), S_OK);
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
    EXPECT_EQ(written, 0u);
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

TEST(RenderOutputPath, AcceptsOnlyPlainDriveAndSharePaths) {
    const wchar_t *accepted[] = {
        L"C:\\out.prn",
        L"z:\\dir\\sub\\out.prn",
        L"C:/dir/out.prn",
        L"\\\\server\\share\\out.prn",
        L"\\\\server\\share\\dir\\out.prn",
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
    };
    for (const wchar_t *path : refused) EXPECT_FALSE(IsAcceptableOutputPath(path, 512)) << Narrow(path);
    EXPECT_FALSE(IsAcceptableOutputPath(nullptr, 512));
    // The string must end inside the array it lives in.
    EXPECT_FALSE(IsAcceptableOutputPath(L"C:\\out.prn", 10));
    EXPECT_TRUE(IsAcceptableOutputPath(L"C:\\out.prn", 11));
}
