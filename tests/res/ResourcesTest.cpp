// SPDX-License-Identifier: MIT
#include "Resources.h"
#include "WaveTable.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>

class EmbeddedWave : public ::testing::TestWithParam<SWaveShape> {};

TEST_P(EmbeddedWave, ResolvesToImageOfTableLength) {
    const SWaveShape& shape = GetParam();
    SResourceImage image;
    ASSERT_EQ(1, FindResourceImage(kResTypeWave, shape.m_id, &image));
    ASSERT_NE(nullptr, image.m_pData);
    EXPECT_EQ(shape.m_imageBytes, image.m_length);
    EXPECT_EQ(0, std::memcmp(image.m_pData, "RIFF", 4));
    // The address stays the same for the whole run.
    SResourceImage again;
    ASSERT_EQ(1, FindResourceImage(kResTypeWave, shape.m_id, &again));
    EXPECT_EQ(image.m_pData, again.m_pData);
}

INSTANTIATE_TEST_SUITE_P(AllSounds, EmbeddedWave, ::testing::ValuesIn(kWaveShapes),
                         [](const auto& info) { return "Id" + std::to_string(info.param.m_id); });

TEST(EmbeddedResources, UnknownIdsAndTypesResolveToNothing) {
    struct {
        const char* type;
        int id;
    } const cases[] = {{kResTypeWave, 328}, {kResTypeWave, 299}, {kResTypeWave, IDR_MAINFRAME},
                       {kResTypeIcon, 300}, {"WAV", 300},        {kResTypeWave, -1}};
    for (const auto& c : cases) {
        SResourceImage image{reinterpret_cast<const unsigned char*>("x"), 7};
        EXPECT_EQ(0, FindResourceImage(c.type, c.id, &image)) << c.type << " " << c.id;
        EXPECT_EQ(nullptr, image.m_pData);
        EXPECT_EQ(0u, image.m_length);
    }
}

TEST(EmbeddedResources, IconHasTwoImages) {
    SResourceImage icon;
    ASSERT_EQ(1, FindResourceImage(kResTypeIcon, IDR_MAINFRAME, &icon));
    ASSERT_GE(icon.m_length, 6u);
    // ICONDIR: reserved 0, type 1, count 2.
    EXPECT_EQ(0, icon.m_pData[0] | icon.m_pData[1] << 8);
    EXPECT_EQ(1, icon.m_pData[2] | icon.m_pData[3] << 8);
    EXPECT_EQ(2, icon.m_pData[4] | icon.m_pData[5] << 8);
}

TEST(EmbeddedResources, AboutMenuStringCarriesItsMnemonic) {
    EXPECT_STREQ("&About Kadenzo...", LoadResourceString(IDS_ABOUTBOX));
    EXPECT_STREQ("", LoadResourceString(12345));
}
