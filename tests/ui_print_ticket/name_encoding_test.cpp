// Watermark names become option names and come back exactly.
#include <gtest/gtest.h>

#include "ui/print_ticket/name_encoding.h"

namespace {

TEST(WatermarkOptionNames, EncodeAsXmlNamesAndDecodeExactly) {
    const std::pair<const wchar_t *, const wchar_t *> cases[] = {
        {L"Draft", L"Draft"},
        {L"Draft 2", L"Draft_x0020_2"},
        {L"1st", L"_x0031_st"},
        {L"a_x0041_b", L"a_x005F_x0041_b"},
        {L"a:b-c.d", L"a_x003A_b-c.d"},
        {L"-x", L"_x002D_x"},
        {L"\x00e9t\x00e9", L"\x00e9t\x00e9"},
        {L"\"<&>\"", L"_x0022__x003C__x0026__x003E__x0022_"},
    };
    for (const auto &[name, encoded] : cases) {
        EXPECT_EQ(EncodeLocalName(name), encoded);
        std::wstring back;
        ASSERT_TRUE(DecodeLocalName(encoded, &back)) << encoded;
        EXPECT_EQ(back, name);
    }
}

TEST(WatermarkOptionNames, MalformedEscapesAreRefused) {
    std::wstring name;
    for (const wchar_t *bad : {L"", L"a_x00", L"a_x00G1_", L"a_x0041", L"_x0000_"})
        EXPECT_FALSE(DecodeLocalName(bad, &name)) << bad;
}

}  // namespace
