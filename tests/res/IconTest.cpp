// SPDX-License-Identifier: MIT
// The icon as the executable carries it: a 32 x 32 and a 16 x 16 image at 16 colours, each
// with a mask that leaves the drum's surroundings transparent; and the PNG of the window icon.
#include "Resources.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t Le32(const unsigned char* p) {
    return uint32_t(Le16(p)) | uint32_t(Le16(p + 2)) << 16;
}
uint32_t Be32(const unsigned char* p) {
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

struct SIconImage {
    int m_size;
    const unsigned char* m_pBits; // 4-bit colour indices, rows bottom up
    const unsigned char* m_pMask; // 1 = transparent, rows bottom up
    int m_bitsRow, m_maskRow;

    int Index(int x, int y) const {
        const unsigned char b = m_pBits[(m_size - 1 - y) * m_bitsRow + x / 2];
        return x % 2 == 0 ? b >> 4 : b & 0x0F;
    }
    bool Transparent(int x, int y) const {
        return (m_pMask[(m_size - 1 - y) * m_maskRow + x / 8] >> (7 - x % 8)) & 1;
    }
};

class MainIcon : public ::testing::TestWithParam<int> {};

TEST_P(MainIcon, IsASixteenColourImageWithATransparencyMask) {
    const int entry = GetParam();
    const int size = entry == 0 ? 32 : 16;
    SResourceImage icon;
    ASSERT_EQ(1, FindResourceImage(kResTypeIcon, IDR_MAINFRAME, &icon));
    ASSERT_GE(icon.m_length, 6u + 16u * 2u);
    const unsigned char* e = icon.m_pData + 6 + 16 * entry;
    EXPECT_EQ(size, e[0]);
    EXPECT_EQ(size, e[1]);
    EXPECT_EQ(16, e[2]);
    EXPECT_EQ(4, Le16(e + 6));
    const uint32_t bytes = Le32(e + 8), offset = Le32(e + 12);
    ASSERT_LE(uint64_t(offset) + bytes, icon.m_length);

    const unsigned char* h = icon.m_pData + offset;
    const int bitsRow = (size * 4 + 31) / 32 * 4, maskRow = (size + 31) / 32 * 4;
    EXPECT_EQ(40u, Le32(h));
    EXPECT_EQ(uint32_t(size), Le32(h + 4));
    EXPECT_EQ(uint32_t(2 * size), Le32(h + 8)) << "bitmap and mask stacked";
    EXPECT_EQ(1, Le16(h + 12));
    EXPECT_EQ(4, Le16(h + 14));
    ASSERT_EQ(40u + 16 * 4 + uint32_t((bitsRow + maskRow) * size), bytes);

    const SIconImage image{size, h + 40 + 64, h + 40 + 64 + bitsRow * size, bitsRow, maskRow};
    int opaque = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            if (image.Transparent(x, y))
                EXPECT_EQ(0, image.Index(x, y)) << "a transparent pixel must draw nothing";
            else
                ++opaque;
        }
    // The drum stands free: its corners below show the background, its middle does not.
    EXPECT_TRUE(image.Transparent(0, size - 1));
    EXPECT_TRUE(image.Transparent(size - 1, size - 1));
    EXPECT_FALSE(image.Transparent(size / 2, size * 3 / 4));
    EXPECT_GT(opaque, size * size / 3);
    EXPECT_LT(opaque, size * size);
}

INSTANTIATE_TEST_SUITE_P(BothSizes, MainIcon, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 0 ? "Size32" : "Size16"; });

uint32_t Crc32(const unsigned char* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

TEST(WindowIcon, IsAThirtyTwoPixelRgbaPngWithSoundChunks) {
    SResourceImage png;
    ASSERT_EQ(1, FindResourceImage(kResTypePng, IDR_MAINFRAME, &png));
    ASSERT_GT(png.m_length, 8u + 25u + 12u);
    EXPECT_EQ(0, std::memcmp(png.m_pData, "\x89PNG\r\n\x1A\n", 8));
    const unsigned char* ihdr = png.m_pData + 8;
    EXPECT_EQ(0, std::memcmp(ihdr + 4, "IHDR", 4));
    EXPECT_EQ(32u, Be32(ihdr + 8));
    EXPECT_EQ(32u, Be32(ihdr + 12));
    EXPECT_EQ(8, ihdr[16]);
    EXPECT_EQ(6, ihdr[17]) << "RGBA";
    size_t at = 8;
    std::string last;
    while (at + 12 <= png.m_length) {
        const uint32_t n = Be32(png.m_pData + at);
        ASSERT_LE(at + 12 + n, png.m_length);
        last.assign(reinterpret_cast<const char*>(png.m_pData + at + 4), 4);
        EXPECT_EQ(Crc32(png.m_pData + at + 4, n + 4), Be32(png.m_pData + at + 8 + n)) << last;
        at += 12 + n;
    }
    EXPECT_EQ(png.m_length, at);
    EXPECT_EQ("IEND", last);
}

} // namespace
