#include "ui/color/color_dialogs.h"

#include <iterator>

#include "resources/resource.h"
#include "ui/color/color_lists.h"

namespace {

const int kRgbCombos[] = {IDC_CORRECTION_RGB_IMAGES, IDC_CORRECTION_RGB_TEXT, IDC_CORRECTION_RGB_GRAPHICS};

void Fill(HWND dialog, const ColorSettings &work) {
    FillColorCombos(dialog, kRgbCombos, std::size(kRgbCombos), kRgbChoices);
    SelectColorValue(GetDlgItem(dialog, IDC_CORRECTION_RGB_IMAGES), work.rgbImage);
    SelectColorValue(GetDlgItem(dialog, IDC_CORRECTION_RGB_TEXT), work.rgbText);
    SelectColorValue(GetDlgItem(dialog, IDC_CORRECTION_RGB_GRAPHICS), work.rgbGraphics);
    FillColorCombo(dialog, IDC_CORRECTION_CMYK, kCmykChoices);
    SelectColorValue(GetDlgItem(dialog, IDC_CORRECTION_CMYK), work.cmykImage);
}

void Store(HWND dialog, ColorSettings *work) {
    StoreColorValue(GetDlgItem(dialog, IDC_CORRECTION_RGB_IMAGES), &work->rgbImage);
    StoreColorValue(GetDlgItem(dialog, IDC_CORRECTION_RGB_TEXT), &work->rgbText);
    StoreColorValue(GetDlgItem(dialog, IDC_CORRECTION_RGB_GRAPHICS), &work->rgbGraphics);
    // One choice covers images, text and graphics alike.
    HWND cmyk = GetDlgItem(dialog, IDC_CORRECTION_CMYK);
    StoreColorValue(cmyk, &work->cmykImage);
    StoreColorValue(cmyk, &work->cmykText);
    StoreColorValue(cmyk, &work->cmykGraphics);
}

}  // namespace

INT_PTR CALLBACK CorrectionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleColorDialogMessage(dialog, message, wParam, lParam, Fill, Store);
}
