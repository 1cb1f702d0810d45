// Where each ticket entry lives in the private record. The watermark lists
// and the PIN feature are not plain values and are handled by their callers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "settings/private_devmode.h"
#include "ui/print_ticket/feature_table.h"

uint32_t FeatureValue(FeatureKey key, const PrivateDevmode &dm);
void SetFeatureValue(FeatureKey key, uint32_t value, PrivateDevmode *dm);

struct TextField {
    wchar_t *text;
    size_t capacity;  // in characters, terminator included
};
// Null text for the integer parameters.
TextField ParameterText(ParameterKey key, PrivateDevmode *dm);
int32_t ParameterInteger(ParameterKey key, const PrivateDevmode &dm);
void SetParameterInteger(ParameterKey key, int32_t value, PrivateDevmode *dm);
