// The watermark page's Edit button shows two dialogs in a row; the helper the
// watermark page tests drive them with is built into this program as well.
#include "tests/ui_wmpage/dialog_sequence.cpp"
