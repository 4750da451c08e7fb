// Windows-1252 decoding of the window descriptions' texts, and the UTF-8 of logs.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "runtime/text.h"

namespace {

// The upper half of Windows-1252 as the code page chart lists it, by byte.
const std::map<unsigned, unsigned> kChart{
    {0x80, 0x20AC /* euro sign */}, {0x81, 0x0081 /* undefined */},
    {0x82, 0x201A /* single low-9 quotation mark */}, {0x83, 0x0192 /* f with hook */},
    {0x84, 0x201E /* double low-9 quotation mark */}, {0x85, 0x2026 /* ellipsis */},
    {0x86, 0x2020 /* dagger */}, {0x87, 0x2021 /* double dagger */},
    {0x88, 0x02C6 /* circumflex */}, {0x89, 0x2030 /* per mille */},
    {0x8A, 0x0160 /* S caron */}, {0x8B, 0x2039 /* single left angle quote */},
    {0x8C, 0x0152 /* OE */}, {0x8D, 0x008D /* undefined */},
    {0x8E, 0x017D /* Z caron */}, {0x8F, 0x008F /* undefined */},
    {0x90, 0x0090 /* undefined */}, {0x91, 0x2018 /* left single quote */},
    {0x92, 0x2019 /* right single quote */}, {0x93, 0x201C /* left double quote */},
    {0x94, 0x201D /* right double quote */}, {0x95, 0x2022 /* bullet */},
    {0x96, 0x2013 /* en dash */}, {0x97, 0x2014 /* em dash */},
    {0x98, 0x02DC /* small tilde */}, {0x99, 0x2122 /* trade mark */},
    {0x9A, 0x0161 /* s caron */}, {0x9B, 0x203A /* single right angle quote */},
    {0x9C, 0x0153 /* oe */}, {0x9D, 0x009D /* undefined */},
    {0x9E, 0x017E /* z caron */}, {0x9F, 0x0178 /* Y diaeresis */},
};

unsigned expectedCodePoint(unsigned byte)
{
    const auto charted = kChart.find(byte);
    return charted != kChart.end() ? charted->second : byte;  // ASCII and Latin-1 keep their value
}

TEST(Cp1252, DecodesEveryByteAsTheCodePageChartSays)
{
    for (unsigned byte = 0; byte <= 0xFF; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        const std::wstring decoded = rt::fromCp1252(one);
        ASSERT_EQ(decoded.size(), 1u) << std::hex << byte;
        EXPECT_EQ(static_cast<unsigned>(decoded[0]), expectedCodePoint(byte)) << "byte 0x" << std::hex << byte;
    }
}

TEST(Cp1252, DecodesItalianTextsWithTheirAccents)
{
    EXPECT_EQ(rt::fromCp1252("Propriet\xE0 pi\xF9 \xE8 \xC8 cos\xEC"), L"Propriet\u00E0 pi\u00F9 \u00E8 \u00C8 cos\u00EC");
    EXPECT_EQ(rt::fromCp1252("\x80 5"), L"\u20AC 5");
    EXPECT_EQ(rt::fromCp1252(""), L"");
}

TEST(Cp1252, KeepsEmbeddedNulBytes)
{
    EXPECT_EQ(rt::fromCp1252(std::string_view("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(Utf8, EncodesOneTwoAndThreeByteCharacters)
{
    EXPECT_EQ(rt::toUtf8(L"Installazione"), "Installazione");
    EXPECT_EQ(rt::toUtf8(L"\u00E8"), "\xC3\xA8");
    EXPECT_EQ(rt::toUtf8(L"\u20AC"), "\xE2\x82\xAC");
    EXPECT_EQ(rt::toUtf8(L"pu\u00F2 \u2019"), "pu\xC3\xB2 \xE2\x80\x99");
    EXPECT_EQ(rt::toUtf8(std::wstring(L"\0", 1)), std::string("\0", 1));
}

TEST(Utf8, EncodesTheWholeDecodedCodePageDistinctly)
{
    std::map<std::string, unsigned> seen;
    for (unsigned byte = 1; byte <= 0xFF; ++byte) {
        const std::string utf8 = rt::toUtf8(rt::fromCp1252(std::string(1, static_cast<char>(byte))));
        EXPECT_EQ(utf8.size(), byte < 0x80 ? 1u : (expectedCodePoint(byte) < 0x800 ? 2u : 3u)) << std::hex << byte;
        EXPECT_TRUE(seen.emplace(utf8, byte).second) << "bytes 0x" << std::hex << byte << " and 0x" << seen[utf8];
    }
}

}  // namespace
