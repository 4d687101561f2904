// SPDX-License-Identifier: MIT
#include "WaveImage.h"
#include "Resources.h"
#include "WaveTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

namespace {

// Builds RIFF images chunk by chunk. Offsets of chunk bodies are kept so that
// a test can say where the reader should point.
class CImageBuilder {
public:
    explicit CImageBuilder(const char* form = "WAVE", const char* magic = "RIFF") {
        Bytes(magic, 4);
        Le32(0); // RIFF size, fixed by Finish
        Bytes(form, 4);
    }
    // A chunk with `size` in its header and `bodyBytes` bytes actually written
    // (the declared size unless given), plus the pad byte when the size is odd.
    CImageBuilder& Chunk(const char* id, uint32_t size, int64_t bodyBytes = -1) {
        Bytes(id, 4);
        Le32(size);
        m_bodies.push_back(uint32_t(m_bytes.size()));
        const size_t n = bodyBytes < 0 ? size : size_t(bodyBytes);
        for (size_t i = 0; i < n; ++i)
            m_bytes.push_back(static_cast<unsigned char>(0x40 + i % 64));
        if (bodyBytes < 0 && size % 2 == 1)
            m_bytes.push_back(0);
        return *this;
    }
    CImageBuilder& Format(uint32_t size = 16) { return Chunk("fmt ", size); }
    CImageBuilder& Data(uint32_t size) { return Chunk("data", size); }
    // Fixes the RIFF size to cover everything written, or to `riffSize`.
    std::vector<unsigned char> Finish(int64_t riffSize = -1) {
        const uint32_t size = riffSize < 0 ? uint32_t(m_bytes.size() - 8) : uint32_t(riffSize);
        for (int i = 0; i < 4; ++i)
            m_bytes[4 + i] = static_cast<unsigned char>(size >> (8 * i));
        return m_bytes;
    }
    // Offset of the n-th chunk's body.
    uint32_t Body(size_t n) const { return m_bodies.at(n); }

private:
    void Bytes(const char* p, size_t n) { m_bytes.insert(m_bytes.end(), p, p + n); }
    void Le32(uint32_t v) {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
    std::vector<unsigned char> m_bytes;
    std::vector<uint32_t> m_bodies;
};

constexpr int64_t kNone = -1;

struct SCase {
    const char* m_name;
    std::vector<unsigned char> m_image;
    int m_result;
    int64_t m_format; // expected offset of the format output, kNone for null
    int64_t m_data;   // expected offset of the data output, kNone for null
    uint32_t m_dataLength;
};

std::vector<SCase> Cases() {
    std::vector<SCase> cases;
    auto add = [&](const char* name, CImageBuilder& b, std::vector<unsigned char> image, int result,
                   int formatChunk, int dataChunk, uint32_t length) {
        cases.push_back({name, std::move(image), result,
                         formatChunk < 0 ? kNone : b.Body(formatChunk),
                         dataChunk < 0 ? kNone : b.Body(dataChunk), length});
    };
    {
        CImageBuilder b;
        b.Format().Data(100);
        add("FormatThenData", b, b.Finish(), 1, 0, 1, 100);
    }
    {
        CImageBuilder b;
        b.Data(100).Format();
        add("DataThenFormat", b, b.Finish(), 1, 1, 0, 100);
    }
    {
        CImageBuilder b;
        b.Format(14).Data(6);
        add("ShortestFormatBlock", b, b.Finish(), 1, 0, 1, 6);
    }
    {
        CImageBuilder b;
        b.Format(12).Format().Data(100);
        add("ShortFirstFormatFailsDespiteAGoodOne", b, b.Finish(), 0, -1, -1, 0);
    }
    {
        CImageBuilder b;
        b.Data(100).Format(13).Data(50);
        add("ShortFormatKeepsEarlierData", b, b.Finish(), 0, -1, 0, 100);
    }
    {
        CImageBuilder b;
        b.Format().Format(2).Data(100);
        add("SecondFormatSteppedOver", b, b.Finish(), 1, 0, 2, 100);
    }
    {
        CImageBuilder b;
        b.Format().Data(0);
        add("EmptyDataAfterFormatSucceeds", b, b.Finish(), 1, 0, 1, 0);
    }
    {
        CImageBuilder b;
        b.Data(0).Format();
        add("EmptyDataBeforeFormatThenNothingFails", b, b.Finish(), 0, 1, 0, 0);
    }
    {
        CImageBuilder b;
        b.Data(0).Format().Data(30);
        add("EmptyDataBeforeFormatThenData", b, b.Finish(), 1, 1, 2, 30);
    }
    {
        CImageBuilder b;
        b.Data(100).Data(200).Format();
        add("LastDataBeforeFormatCounts", b, b.Finish(), 1, 2, 1, 200);
    }
    {
        CImageBuilder b;
        b.Chunk("LIST", 5).Format().Data(10);
        add("OddChunkIsPadded", b, b.Finish(), 1, 1, 2, 10);
    }
    {
        CImageBuilder b;
        b.Chunk("FMT ", 16).Chunk("fmt", 16).Chunk("DATA", 10).Format().Data(8);
        add("IdsAreExact", b, b.Finish(), 1, 3, 4, 8);
    }
    {
        CImageBuilder b;
        b.Format();
        add("NoData", b, b.Finish(), 0, 0, -1, 0);
    }
    {
        CImageBuilder b;
        b.Data(10);
        add("NoFormat", b, b.Finish(), 0, -1, 0, 10);
    }
    {
        CImageBuilder b("AVI ");
        b.Format().Data(10);
        add("OtherFormType", b, b.Finish(), 0, -1, -1, 0);
    }
    {
        CImageBuilder b("WAVE", "RIFX");
        b.Format().Data(10);
        add("BigEndianRiff", b, b.Finish(), 0, -1, -1, 0);
    }
    {
        CImageBuilder b("WAVE", "RF64");
        b.Format().Data(10);
        add("SixtyFourBitRiff", b, b.Finish(), 0, -1, -1, 0);
    }
    {
        CImageBuilder b;
        b.Format().Data(10);
        add("RiffSizeFourReadsNoChunk", b, b.Finish(4), 0, -1, -1, 0);
    }
    {
        CImageBuilder b;
        b.Format().Data(10);
        add("RiffSizeZero", b, b.Finish(0), 0, -1, -1, 0);
    }
    {
        // The RIFF chunk ends after the format block; the data chunk behind it is never read.
        CImageBuilder b;
        b.Format().Data(10);
        add("ChunkBeyondRiffEndIgnored", b, b.Finish(4 + 8 + 16), 0, 0, -1, 0);
    }
    {
        // Bytes after the RIFF end do not count, as in image 302.
        CImageBuilder b;
        b.Format().Data(10).Chunk("junk", 40);
        add("TrailingBytesIgnored", b, b.Finish(4 + 24 + 18), 1, 0, 1, 10);
    }
    // Sizes that reach past what we were given.
    {
        CImageBuilder b;
        b.Format().Chunk("data", 1000, 10);
        add("DataBodyPastImageEnd", b, b.Finish(), 0, 0, -1, 0);
    }
    {
        CImageBuilder b;
        b.Format().Chunk("data", 1000, 10);
        add("DataBodyPastImageEndInsideRiff", b, b.Finish(4 + 24 + 8 + 1000 + 50), 0, 0, -1, 0);
    }
    // A chunk that starts inside the RIFF chunk is read whole, even past its end.
    {
        CImageBuilder b;
        b.Format().Data(20);
        add("DataBodyPastRiffEndInsideImage", b, b.Finish(4 + 24 + 8 + 10), 1, 0, 1, 20);
    }
    {
        // 144 bytes: "fmt " at 12, 100 bytes of "data" at 36, the RIFF end at 44.
        CImageBuilder b;
        b.Format().Data(100);
        add("DataRunsFarPastRiffEnd", b, b.Finish(36), 1, 0, 1, 100);
    }
    {
        CImageBuilder b;
        b.Chunk("fmt ", 16, 8);
        add("FormatBodyPastImageEnd", b, b.Finish(), 0, -1, -1, 0);
    }
    {
        CImageBuilder b;
        b.Data(4).Chunk("fmt ", 16, 10);
        add("FormatAfterDataPastImageEnd", b, b.Finish(), 0, -1, 0, 4);
    }
    {
        CImageBuilder b;
        b.Format().Chunk("data", 0, 0);
        std::vector<unsigned char> image = b.Finish(4 + 24 + 8 + 100);
        image.resize(image.size() - 3); // the data header is cut short
        add("HeaderPastImageEnd", b, image, 0, 0, -1, 0);
    }
    {
        CImageBuilder b;
        b.Format().Data(10);
        add("HeaderStartsInsideRiffEndsPastIt", b, b.Finish(4 + 24 + 4), 1, 0, 1, 10);
    }
    {
        CImageBuilder b;
        b.Chunk("LIST", 0xFFFFFFF0u, 0).Format().Data(10);
        add("HugeSkippedChunk", b, b.Finish(), 0, -1, -1, 0);
    }
    {
        // 0xFFFFFFFF rounds to 0 in 32 bits: the walk goes on at that chunk's body.
        CImageBuilder b;
        b.Chunk("LIST", 0xFFFFFFFFu, 0).Format().Data(10);
        add("WrappingSizeStepsToTheBody", b, b.Finish(), 1, 1, 2, 10);
    }
    {
        CImageBuilder b;
        b.Format().Chunk("data", 0xFFFFFFFFu, 10);
        add("HugeDataBody", b, b.Finish(), 0, 0, -1, 0);
    }
    {
        CImageBuilder b;
        add("HeaderOnly", b, b.Finish(), 0, -1, -1, 0);
    }
    return cases;
}

class WaveImageCase : public ::testing::TestWithParam<SCase> {};

TEST_P(WaveImageCase, WalksChunksToTheChosenFormatAndData) {
    const SCase& c = GetParam();
    const unsigned char* format = reinterpret_cast<const unsigned char*>(1);
    const unsigned char* data = reinterpret_cast<const unsigned char*>(1);
    uint32_t length = 12345;
    // The image is copied to exactly its size, so that a read past its end is caught
    // by the sanitizers.
    std::vector<unsigned char> image(c.m_image);
    EXPECT_EQ(c.m_result,
              ParseWaveImage(image.data(), uint32_t(image.size()), &format, &data, &length));
    const unsigned char* base = image.data();
    EXPECT_EQ(c.m_format == kNone ? nullptr : base + c.m_format, format);
    EXPECT_EQ(c.m_data == kNone ? nullptr : base + c.m_data, data);
    EXPECT_EQ(c.m_dataLength, length);
}

INSTANTIATE_TEST_SUITE_P(Images, WaveImageCase, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return std::string(info.param.m_name); });

TEST(WaveImage, ShortOrMissingImagesFailWithEmptyOutputs) {
    CImageBuilder b;
    b.Format().Data(10);
    const std::vector<unsigned char> image = b.Finish();
    for (uint32_t length : {0u, 4u, 11u}) {
        const unsigned char* format = image.data();
        const unsigned char* data = image.data();
        uint32_t dataLength = 7;
        EXPECT_EQ(0, ParseWaveImage(image.data(), length, &format, &data, &dataLength)) << length;
        EXPECT_EQ(nullptr, format);
        EXPECT_EQ(nullptr, data);
        EXPECT_EQ(0u, dataLength);
    }
    const unsigned char* format = nullptr;
    const unsigned char* data = nullptr;
    uint32_t dataLength = 0;
    EXPECT_EQ(0, ParseWaveImage(nullptr, 100, &format, &data, &dataLength));
    // Every cut of a good image short of its data's end fails; the whole image succeeds.
    for (uint32_t length = 0; length < image.size(); ++length) {
        std::vector<unsigned char> cut(image.begin(), image.begin() + length);
        EXPECT_EQ(0, ParseWaveImage(cut.data(), length, &format, &data, &dataLength)) << length;
    }
    EXPECT_EQ(1, ParseWaveImage(image.data(), uint32_t(image.size()), &format, &data, &dataLength));
}

class BuiltInWave : public ::testing::TestWithParam<SWaveShape> {};

TEST_P(BuiltInWave, FormatAtTwentyDataAtFortyFourOfTableLength) {
    const SWaveShape& shape = GetParam();
    SResourceImage image;
    ASSERT_EQ(1, FindResourceImage(kResTypeWave, shape.m_id, &image));
    const unsigned char* format = nullptr;
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(1, ParseWaveImage(image.m_pData, image.m_length, &format, &data, &length));
    EXPECT_EQ(image.m_pData + 20, format);
    EXPECT_EQ(image.m_pData + 44, data);
    EXPECT_EQ(shape.m_dataBytes, length);
    // The format block is the table's: PCM, its channels, rate and block align, 16 bits.
    auto u16 = [&](int at) { return uint32_t(format[at] | format[at + 1] << 8); };
    auto u32 = [&](int at) { return u16(at) | u16(at + 2) << 16; };
    EXPECT_EQ(1u, u16(0));
    EXPECT_EQ(shape.m_channels, u16(2));
    EXPECT_EQ(shape.m_samplesPerSec, u32(4));
    EXPECT_EQ(shape.m_samplesPerSec * shape.m_blockAlign, u32(8));
    EXPECT_EQ(shape.m_blockAlign, u16(12));
    EXPECT_EQ(16u, u16(14));
}

INSTANTIATE_TEST_SUITE_P(AllSounds, BuiltInWave, ::testing::ValuesIn(kWaveShapes),
                         [](const auto& info) { return "Id" + std::to_string(info.param.m_id); });

TEST(BuiltInWaves, SoundTwoStopsAtItsRiffEnd) {
    SResourceImage image;
    ASSERT_EQ(1, FindResourceImage(kResTypeWave, 302, &image));
    const unsigned char* format = nullptr;
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    ASSERT_EQ(1, ParseWaveImage(image.m_pData, image.m_length, &format, &data, &length));
    EXPECT_EQ(16854u, length);
    EXPECT_NE(image.m_length - 44, length);
    uint64_t total = 0;
    for (const SWaveShape& shape : kWaveShapes) {
        ASSERT_EQ(1, FindResourceImage(kResTypeWave, shape.m_id, &image));
        ASSERT_EQ(1, ParseWaveImage(image.m_pData, image.m_length, &format, &data, &length));
        total += length;
    }
    EXPECT_EQ(kTotalDataBytes, total);
}

} // namespace
