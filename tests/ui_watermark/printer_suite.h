// A test suite that holds the test printer open for all of its tests.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <string>

#include "platform/raii.h"
#include "tests/host/wine_printer.h"

class PrinterSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        std::wstring error;
        ASSERT_TRUE(testbed::EnsurePrinter(&error)) << std::string(error.begin(), error.end());
        HANDLE h = nullptr;
        ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t *>(L"PS Test Printer"), &h, nullptr));
        printer_ = new unique_hprinter(h);
    }
    static void TearDownTestSuite() {
        delete printer_;
        printer_ = nullptr;
    }
    static HANDLE printer() { return printer_->get(); }

private:
    static inline unique_hprinter *printer_ = nullptr;
};
