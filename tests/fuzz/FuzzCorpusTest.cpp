// SPDX-License-Identifier: MIT
// Every kept input of the fuzzers, replayed by the suite in every build: the
// seeds and each input that once found a fault, so that a fault found once
// stays found even where no fuzzer runs.
#include "FuzzChecks.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct SKeptInput {
    std::string m_target; // the folder under tests/data/fuzz
    std::filesystem::path m_path;
};

std::ostream& operator<<(std::ostream& out, const SKeptInput& input) {
    return out << input.m_target << "/" << input.m_path.filename().string();
}

std::vector<SKeptInput> KeptInputs(const std::string& target) {
    std::vector<SKeptInput> inputs;
    const std::filesystem::path folder =
        std::filesystem::path(KADENZO_TEST_DATA_DIR) / "fuzz" / target;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != "README")
            inputs.push_back(SKeptInput{target, entry.path()});
    }
    std::sort(inputs.begin(), inputs.end(),
              [](const SKeptInput& a, const SKeptInput& b) { return a.m_path < b.m_path; });
    return inputs;
}

std::string TestName(const ::testing::TestParamInfo<SKeptInput>& info) {
    std::string name = info.param.m_path.filename().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}

class DrumSetInput : public ::testing::TestWithParam<SKeptInput> {};
class WaveImageInput : public ::testing::TestWithParam<SKeptInput> {};

TEST_P(DrumSetInput, LoadsSavesAndReachesTheFixedPoint) {
    const std::string bytes = ReadBytes(GetParam().m_path);
    EXPECT_EQ("", CheckDrumSetFile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

TEST_P(WaveImageInput, IsReadWithinItsLength) {
    const std::string bytes = ReadBytes(GetParam().m_path);
    EXPECT_EQ("", CheckWaveImage(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

INSTANTIATE_TEST_SUITE_P(Kept, DrumSetInput, ::testing::ValuesIn(KeptInputs("drumset")), TestName);
INSTANTIATE_TEST_SUITE_P(Kept, WaveImageInput, ::testing::ValuesIn(KeptInputs("waveimage")),
                         TestName);

} // namespace
