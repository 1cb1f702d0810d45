// Which program the prompt escape starts, and that it starts it on the right
// file: the command line as it is built, a rundll32.exe planted where a bare
// name is looked for first, and a module in a folder whose name has blanks.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/raii.h"
#include "tests/host/render_host.h"
#include "tests/host/ui_host.h"
#include "tests/host/wine_printer.h"
#include "tests/ui_events/prompt_fixture.h"
#include "ui/printing/manual_duplex.h"

using namespace prompttest;

namespace {

std::wstring Build(const wchar_t *program, const wchar_t *module, size_t chars = kPromptCommandChars) {
    std::wstring out(chars, L'#');
    if (!BuildPromptCommandLine(program, module, out.data(), chars)) return out[0] == L'\0' ? L"<refused>" : L"<dirty>";
    return out.c_str();
}

TEST(PromptCommandLine, NamesTheSystemRundll32AndQuotesBothPaths) {
    wchar_t program[MAX_PATH];
    ASSERT_TRUE(PromptProgramPath(program));
    EXPECT_EQ(Lower(program), Lower(SystemRundll32()));

    const std::wstring module = L"C:\\Program Files\\Print Kit\\ui plug.dll";
    EXPECT_EQ(Build(program, module.c_str()), ExpectedPromptLine(module));
    // Far beyond MAX_PATH, and a comma, which only the closing mark ends.
    const std::wstring deep = L"\\\\?\\C:\\" + std::wstring(600, L'd') + L"\\a,b\\uiplug.dll";
    EXPECT_EQ(Build(program, deep.c_str()), ExpectedPromptLine(deep));
}

TEST(PromptCommandLine, RefusesPathsThatCannotBeQuotedAndLinesThatDoNotFit) {
    wchar_t program[MAX_PATH];
    ASSERT_TRUE(PromptProgramPath(program));
    // The mark would end the quoted path early; a trailing backslash would
    // escape the closing mark. Either way the rest of the line changes sense.
    EXPECT_EQ(Build(program, L"C:\\a\" \"b\\uiplug.dll"), L"<refused>");
    EXPECT_EQ(Build(program, L"C:\\drivers\\"), L"<refused>");
    EXPECT_EQ(Build(L"C:\\x\"y\\rundll32.exe", L"C:\\uiplug.dll"), L"<refused>");
    EXPECT_EQ(Build(program, L""), L"<refused>");
    const std::wstring module = L"C:\\uiplug.dll";
    const size_t needed = ExpectedPromptLine(module).size() + 1;
    EXPECT_EQ(Build(program, module.c_str(), needed - 1), L"<refused>");
    EXPECT_EQ(Build(program, module.c_str(), needed), ExpectedPromptLine(module));
}

// ---- The started process ---------------------------------------------------

std::wstring Marker(const std::wstring &planted) { return planted + L".ran"; }

bool Exists(const std::wstring &path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// One prompt of another process: it must be the system's rundll32, started
// on `module`; it is ended with OK.
void ExpectSystemPromptFor(const std::wstring &module) {
    std::vector<PromptWindow> prompts = WaitForPrompts(1);
    ASSERT_EQ(prompts.size(), 1u) << "no prompt appeared";
    unique_handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE,
                                      prompts[0].processId));
    ASSERT_TRUE(process);
    EXPECT_EQ(Lower(ImagePath(process.get())), Lower(SystemRundll32()));
    std::wstring line, directory;
    const StartRead start = ReadStartParameters(process.get(), &line, &directory);
    ASSERT_NE(start, StartRead::kFailed);
    if (start == StartRead::kRead)
        EXPECT_EQ(line, ExpectedPromptLine(module));
    else
        NoteStartNotObservable();
    // The window can be found before the dialog is ready for a click.
    for (DWORD waited = 0; !IsWindowVisible(prompts[0].window) && waited < kWaitMs; waited += 20) Sleep(20);
    PressOk(prompts[0].window);
    EXPECT_EQ(WaitForSingleObject(process.get(), kWaitMs), WAIT_OBJECT_0);
}

class PromptSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(WaitForPrompts(0).empty()) << "a prompt from elsewhere is open";
        GetCurrentDirectoryW(MAX_PATH, savedDirectory_);
    }
    void TearDown() override {
        CloseStrayPrompts();
        SetCurrentDirectoryW(savedDirectory_);
        for (const std::wstring &file : planted_) {
            DeleteFileW(file.c_str());
            DeleteFileW(Marker(file).c_str());
        }
    }

    // The probe program copied to `path`, with no marker of an earlier run.
    void Plant(const std::wstring &path) {
        planted_.push_back(path);
        DeleteFileW(Marker(path).c_str());
        ASSERT_TRUE(CopyFileW(testbed::ProgramDirFile(L"planted_program.exe").c_str(), path.c_str(), FALSE))
            << testbed::Narrow(path) << ": " << GetLastError();
    }

    std::vector<std::wstring> planted_;
    wchar_t savedDirectory_[MAX_PATH] = {};
};

// A bare "rundll32" is looked for in the application's folder, then in the
// current folder, before the system folder.
TEST_F(PromptSearchTest, RundllBesideTheApplicationOrInTheCurrentFolderIsNotRun) {
    const std::wstring current = testbed::ScratchDir(L"prompt-current");
    Plant(testbed::ProgramDirFile(L"rundll32.exe"));
    Plant(current + L"\\rundll32.exe");
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));

    testbed::UiPluginHost host;
    std::wstring error;
    ASSERT_TRUE(host.Create(&error)) << testbed::Narrow(error);
    EXPECT_EQ(RequestPrompt(host.plugin), DOCUMENTEVENT_FAILURE);
    ExpectSystemPromptFor(ModuleFile(testbed::UiPlugModule()));
    for (const std::wstring &file : planted_) EXPECT_FALSE(Exists(Marker(file))) << testbed::Narrow(file) << " ran";
}

// Unquoted, the path would end at the first blank and rundll32 would find no
// such module.
TEST_F(PromptSearchTest, ModuleInAFolderWithBlanksShowsThePrompt) {
    const std::wstring folder = testbed::ScratchDir(L"prompt with blanks");
    PluginCopy copy;
    std::wstring error;
    ASSERT_TRUE(copy.Load(folder, &error)) << testbed::Narrow(error);
    EXPECT_EQ(RequestPrompt(copy.plugin), DOCUMENTEVENT_FAILURE);
    ExpectSystemPromptFor(ModuleFile(copy.module));
}

}  // namespace
