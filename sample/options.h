// The sample print's command line: what the job is set to, which document
// it prints and where the results go.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace sample {

struct SampleOptions {
    DWORD destination = 4;  // confidential print
    std::wstring holdUserName = L"sample";
    std::wstring holdPin = L"1234";
    std::wstring faxNumber = L"+1 555 0100";
    bool coverPage = false;
    // 0 none, 1 all pages, 2 odd / even pages, 3 first / other pages.
    DWORD watermarkOrder = 1;
    std::wstring watermarks[2] = {L"Draft", L"Confidential"};
    bool rotate180 = false;
    int copies = 1;
    int pagesPerSheet = 1;
    std::wstring inputFile;  // empty: the built-in sample document
    std::wstring outputDir = L"sample-out";
    int dpi = 100;  // of the page pictures
    bool help = false;
};

// Reads the arguments after the program name. False with a one-line reason in
// *error for an unknown option, a missing or malformed value, or a value the
// job cannot take.
bool ParseOptions(const std::vector<std::wstring> &args, SampleOptions *options, std::wstring *error);

// The usage text, one option per line.
const wchar_t *UsageText();

// The names by which the command line knows each destination, by value.
const wchar_t *DestinationName(DWORD destination);

}  // namespace sample
