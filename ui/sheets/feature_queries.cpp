#include "ui/sheets/feature_queries.h"

#include "platform/raii.h"

bool FeatureSettingIsTrue(IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj, const char *keyword) {
    if (!helper || !poemuiobj || !keyword) return false;
    DWORD needed = 0, count = 0;
    helper->DrvGetDriverSetting(poemuiobj, keyword, nullptr, 0, &needed, &count);
    if (needed == 0) return false;
    // One byte more than asked for, so the text is terminated whatever the driver wrote.
    unique_process_heap_ptr buffer(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, needed + 1));
    if (!buffer) return false;
    DWORD filled = 0;
    if (helper->DrvGetDriverSetting(poemuiobj, keyword, buffer.get(), needed, &filled, &count) != S_OK)
        return false;
    return lstrcmpiA(static_cast<const char *>(buffer.get()), "True") == 0;
}

bool FeatureExists(IPrintCoreUI2 *helper, POEMUIOBJ poemuiobj, const char *keyword) {
    if (!helper || !poemuiobj || !keyword) return false;
    DWORD needed = 0;
    HRESULT hr = helper->EnumOptions(poemuiobj, 0, keyword, nullptr, 0, &needed);
    return hr == E_OUTOFMEMORY && needed > 0;
}
