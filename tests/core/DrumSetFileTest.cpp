// SPDX-License-Identifier: MIT
#include "DrumSetFile.h"
#include "DrumKit.h"
#include "DrumSetFiles.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace std::string_literals;

namespace {

std::string Repeat(const std::string& text, int times) {
    std::string result;
    for (int i = 0; i < times; ++i)
        result += text;
    return result;
}

// 28 empty name lines, so that what follows is the key-map line.
const std::string kNoNames = Repeat("\r\n", 28);

struct SCraftedFile {
    const char* m_label;
    std::string m_bytes;
    std::vector<std::pair<int, std::string>> m_names; // every other name is empty
    std::vector<std::pair<int, int>> m_bound;         // every other code is unbound
};

std::ostream& operator<<(std::ostream& out, const SCraftedFile& file) {
    return out << file.m_label;
}

std::vector<SCraftedFile> CraftedFiles() {
    const std::string megabyte(1 << 20, 'x');
    std::string highBytes;
    for (int c = 0x80; c <= 0xFF; ++c)
        highBytes += static_cast<char>(c);
    std::string tenNames;
    std::vector<std::pair<int, std::string>> tenExpected;
    for (int i = 0; i < 10; ++i) {
        tenNames += "Drum " + std::to_string(i) + "\r\n";
        tenExpected.push_back({i, "Drum " + std::to_string(i)});
    }
    std::string all255Ones = kNoNames + Repeat("1 ", 255) + "word 7";
    std::vector<std::pair<int, int>> allOnes;
    for (int code = 1; code < 256; ++code)
        allOnes.push_back({code, 1});

    return {
        {"EmptyFile", "", {}, {}},
        {"TenNameLinesOnly", tenNames, tenExpected, {}},
        {"LastNameWithoutLineEnd", "Kick\r\nSnare", {{0, "Kick"}, {1, "Snare"}}, {}},
        {"LineFeedAlone",
         "Kick\nSnare\n"s + Repeat("\n", 26) + "3 4",
         {{0, "Kick"}, {1, "Snare"}},
         {{1, 3}, {2, 4}}},
        {"MixedLineEnds",
         "Kick\nSnare\r\n"s + Repeat("\r\n", 13) + Repeat("\n", 13) + "5",
         {{0, "Kick"}, {1, "Snare"}},
         {{1, 5}}},
        {"BlanksKept", "  Tom  \r\n\t\r\n", {{0, "  Tom  "}, {1, "\t"}}, {}},
        // The Windows text mode's bytes.
        {"ZeroByteEndsANamesText",
         "a\0b\r\n\0c\r\nd\r\0\r\n"s + Repeat("\r\n", 25) + "1 2",
         {{0, "a"}, {2, "d\r"}},
         {{1, 1}, {2, 2}}},
        {"CtrlZEndsTheFileInAName",
         "Kick\r\nSn\x1a"
         "are\r\nTom\r\n",
         {{0, "Kick"}, {1, "Sn"}},
         {}},
        {"CtrlZEndsTheFileInTheKeyMap", kNoNames + "255 255 3 \x1a 5", {}, {{3, 3}}},
        {"LoneCarriageReturnStaysInName",
         "x\ry\r\nz\r\r\n\rw\r\n",
         {{0, "x\ry"}, {1, "z\r"}, {2, "\rw"}},
         {}},
        {"HighBytesKept", highBytes + "\r\n", {{0, highBytes}}, {}},
        {"MegabyteLineIsOneName",
         megabyte + "\r\nnext\r\n" + Repeat("\r\n", 26) + "5",
         {{0, megabyte}, {1, "next"}},
         {{1, 5}}},
        {"NameOf253IsNotSplit",
         std::string(253, 'n') + "\r\nsecond\r\n" + Repeat("\r\n", 26) + "6",
         {{0, std::string(253, 'n')}, {1, "second"}},
         {{1, 6}}},
        {"WordAsFourthItem", kNoNames + "1 2 3 snare 5 6", {}, {{1, 1}, {2, 2}, {3, 3}, {4, 0}}},
        {"OctalAndHexadecimal",
         kNoNames + "010 0x1A 0X1b +7 -0 012",
         {},
         {{1, 8}, {2, 26}, {3, 27}, {4, 7}, {5, 0}, {6, 10}}},
        {"OctalEndsBeforeEightOrNine", kNoNames + "089 5", {}, {{1, 0}, {3, 5}}},
        {"HexPrefixWithoutDigit", kNoNames + "1 0x 2", {}, {{1, 1}, {2, 0}}},
        {"LoneSign", kNoNames + "4 - 2", {}, {{1, 4}, {2, 0}}},
        {"EighteenZerosThenThree",
         kNoNames + "0000000000000000003 4",
         {},
         {{1, 0}, {2, 3}, {3, 4}}},
        {"FifteenCharactersMakeOneNumber", kNoNames + "1000000000000005 9", {}, {{2, 5}, {3, 9}}},
        {"NumberRunsIntoTheNext", kNoNames + "3x 9", {}, {{1, 3}, {2, 0}}},
        {"ValuesOutsideTheSoundsAreUnbound",
         kNoNames + "28 255 -1 1000 27 0 -28 0xFF",
         {},
         {{5, 27}, {6, 0}}},
        {"AnyWhiteSpaceSeparates",
         kNoNames + "\t1\r\n\r\n 2\v3\f 4\r5",
         {},
         {{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}},
        {"BinaryGarbageInKeyMap", kNoNames + "\x7f\x80\xff\x00 1"s, {}, {{1, 0}}},
        {"ItemsAfterCode255AreIgnored", all255Ones, {}, allOnes},
    };
}

class LoadingCraftedFile : public ::testing::TestWithParam<SCraftedFile> {
protected:
    CTempFolder m_folder;
};

TEST_P(LoadingCraftedFile, GivesNamesAndBindings) {
    const SCraftedFile& file = GetParam();
    WriteBytes("drums.set", file.m_bytes);
    CDrumKit kit;
    ASSERT_EQ(1, kit.LoadSet("drums.set"));

    std::string expectedNames[kSoundCount];
    for (const auto& [sound, name] : file.m_names)
        expectedNames[sound] = name;
    for (int sound = 0; sound < kSoundCount; ++sound)
        EXPECT_EQ(expectedNames[sound], kit.m_names[sound]) << "sound " << sound;

    int expectedMap[kKeyMapSize];
    for (int& entry : expectedMap)
        entry = kNoSound;
    for (const auto& [code, sound] : file.m_bound)
        expectedMap[code] = sound;
    for (int code = 0; code < kKeyMapSize; ++code)
        EXPECT_EQ(expectedMap[code], kit.m_keyMap[code]) << "code " << code;
}

INSTANTIATE_TEST_SUITE_P(Files, LoadingCraftedFile, ::testing::ValuesIn(CraftedFiles()),
                         [](const auto& info) { return std::string(info.param.m_label); });

class DrumSetFile : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(DrumSetFile, MissingFileIsCreatedEmptyAndReadAsEmpty) {
    CDrumKit kit;
    kit.Assign(30, 2);
    ASSERT_EQ(1, kit.LoadSet("drums.set"));
    EXPECT_EQ("", ReadBytes("drums.set"));
    EXPECT_EQ(2, kit.m_keyMap[30]); // nothing was read, so nothing changed
}

TEST_F(DrumSetFile, FileThatCanNeitherBeOpenedNorCreatedLeavesTheKitAsItWas) {
    CDrumKit kit;
    kit.m_names[3] = "Cowbell";
    kit.Assign(30, 2);
    EXPECT_EQ(0, kit.LoadSet("no-such-folder/drums.set"));
    EXPECT_EQ("Cowbell", kit.m_names[3]);
    EXPECT_EQ(2, kit.m_keyMap[30]);
}

TEST_F(DrumSetFile, EntriesAfterTheStopKeepTheirValues) {
    WriteBytes("drums.set", kNoNames + "1 2 oops 4");
    CDrumKit kit;
    kit.Assign(3, 9);
    kit.Assign(200, 7);
    ASSERT_EQ(1, kit.LoadSet("drums.set"));
    EXPECT_EQ(0, kit.m_keyMap[3]);
    EXPECT_EQ(kNoSound, kit.m_keyMap[4]);
    EXPECT_EQ(7, kit.m_keyMap[200]);
}

// A file laid out by hand the way the Windows program writes it.
TEST_F(DrumSetFile, MatchesTheWindowsLayoutByteForByte) {
    const std::string names[kSoundCount] = {"Kick", " Snare ", "", "Hi-Hat \xe9t\xe9"};
    std::string windowsFile;
    for (const std::string& name : names)
        windowsFile += name + "\r\n";
    // Code 3 plays sound 3, code 30 sound 0, code 57 sound 27, code 255 sound 12.
    windowsFile += "255 255 3 " + Repeat("255 ", 26) + "0 " + Repeat("255 ", 26) + "27 " +
                   Repeat("255 ", 197) + "12 ";

    CDrumKit written;
    for (int sound = 0; sound < kSoundCount; ++sound)
        written.m_names[sound] = names[sound];
    written.Assign(3, 3);
    written.Assign(30, 0);
    written.Assign(57, 27);
    written.Assign(255, 12);
    ASSERT_EQ(1, written.SaveSet("drums.set"));
    EXPECT_EQ(windowsFile, ReadBytes("drums.set"));

    // And the other way: the Windows file loads the same and is saved unchanged.
    WriteBytes("windows.set", windowsFile);
    CDrumKit loaded;
    ASSERT_EQ(1, loaded.LoadSet("windows.set"));
    for (int sound = 0; sound < kSoundCount; ++sound)
        EXPECT_EQ(names[sound], loaded.m_names[sound]);
    for (int code = 1; code < kKeyMapSize; ++code)
        EXPECT_EQ(written.m_keyMap[code], loaded.m_keyMap[code]) << code;
    ASSERT_EQ(1, loaded.SaveSet("windows.set"));
    EXPECT_EQ(windowsFile, ReadBytes("windows.set"));
}

// What would end a line, a name or the file is saved as a blank; a lone CR
// is written as read, as the Windows text mode writes it.
TEST_F(DrumSetFile, LineBreaksInsideANameAreSavedAsBlanks) {
    CDrumKit kit;
    kit.m_names[0] = "two\nlines\n";
    kit.m_names[1] = "lone\rreturn\r";
    kit.m_names[2] = "zero\0and\x1a"s;
    kit.Assign(1, 4);
    ASSERT_EQ(1, kit.SaveSet("drums.set"));
    EXPECT_EQ("two lines \r\nlone\rreturn\r\r\nzero and \r\n"s + Repeat("\r\n", 25) + "4 " +
                  Repeat("255 ", 254),
              ReadBytes("drums.set"));
    CDrumKit reread;
    ASSERT_EQ(1, reread.LoadSet("drums.set"));
    EXPECT_EQ("lone\rreturn\r", reread.m_names[1]);
}

TEST_F(DrumSetFile, ScanCodeZeroIsNeitherWrittenNorRead) {
    CDrumKit kit;
    kit.Assign(0, 5);
    ASSERT_EQ(1, kit.SaveSet("drums.set"));
    EXPECT_EQ(EmptySetBytes(), ReadBytes("drums.set"));
    CDrumKit reloaded;
    ASSERT_EQ(1, reloaded.LoadSet("drums.set"));
    EXPECT_EQ(kNoSound, reloaded.m_keyMap[0]);
}

// Names of every kind but with no byte that ends a line, a name or the file,
// so each must come back whole.
std::string RandomName(std::mt19937& random) {
    static const int kLengths[] = {0, 1, 5, 252, 253, 254, 255, 600, 5000};
    std::uniform_int_distribution<int> pickLength(0, 8);
    std::uniform_int_distribution<int> pickByte(0, 255);
    std::string name(static_cast<size_t>(kLengths[pickLength(random)]), ' ');
    for (char& c : name) {
        int byte = pickByte(random);
        while (byte == '\n' || byte == 0 || byte == 26)
            byte = pickByte(random);
        c = static_cast<char>(byte);
    }
    if (!name.empty() && random() % 3 == 0)
        name = "  " + name + " \t ";
    return name;
}

TEST_F(DrumSetFile, RandomKitsComeBackEqual) {
    std::mt19937 random(20240611);
    for (int round = 0; round < 60; ++round) {
        CDrumKit saved;
        for (std::string& name : saved.m_names)
            name = RandomName(random);
        for (int code = 0; code < kKeyMapSize; ++code) {
            const int sound = static_cast<int>(random() % 40);
            if (sound < kSoundCount)
                saved.Assign(code, sound);
        }
        ASSERT_EQ(1, saved.SaveSet("drums.set"));
        CDrumKit loaded;
        ASSERT_EQ(1, loaded.LoadSet("drums.set"));
        for (int sound = 0; sound < kSoundCount; ++sound)
            ASSERT_EQ(saved.m_names[sound], loaded.m_names[sound]) << round << " " << sound;
        for (int code = 1; code < kKeyMapSize; ++code)
            ASSERT_EQ(saved.m_keyMap[code], loaded.m_keyMap[code]) << round << " " << code;
    }
}

// Files mixing the pieces the reader must cope with, in any order.
std::string RandomFile(std::mt19937& random) {
    static const char* const kPieces[] = {"\r\n",
                                          "\n",
                                          "\r",
                                          " ",
                                          "\t",
                                          "0",
                                          "7",
                                          "27",
                                          "255",
                                          "256",
                                          "-",
                                          "+",
                                          "0x",
                                          "0X1f",
                                          "010",
                                          "089",
                                          "word",
                                          "\x1a",
                                          "\xff",
                                          "000000000000000000",
                                          "-3",
                                          "\v",
                                          "12345678901234567"};
    std::string file;
    const int pieces = static_cast<int>(random() % 400);
    for (int i = 0; i < pieces; ++i) {
        if (random() % 4 == 0)
            file += static_cast<char>(random() % 256);
        else
            file += kPieces[random() % (sizeof kPieces / sizeof kPieces[0])];
    }
    return file;
}

std::string LoadAndFormat(const std::string& bytes) {
    std::string names[kSoundCount];
    int32_t keyMap[kKeyMapSize];
    for (int32_t& entry : keyMap)
        entry = kNoSound;
    CMemorySource source(bytes.data(), bytes.size());
    ReadDrumSet(source, names, keyMap);
    return FormatDrumSet(names, keyMap);
}

TEST(DrumSetFormat, OneLoadAndSaveMakesAnyFileAFixedPoint) {
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        const std::string file = RandomFile(random);
        const std::string once = LoadAndFormat(file);
        ASSERT_EQ(once, LoadAndFormat(once)) << "round " << round;
    }
}

TEST_F(DrumSetFile, OneLoadAndSaveThroughTheFileIsAFixedPoint) {
    std::mt19937 random(11);
    for (int round = 0; round < 20; ++round) {
        WriteBytes("drums.set", RandomFile(random));
        CDrumKit first;
        ASSERT_EQ(1, first.LoadSet("drums.set"));
        ASSERT_EQ(1, first.SaveSet("drums.set"));
        const std::string once = ReadBytes("drums.set");
        CDrumKit second;
        ASSERT_EQ(1, second.LoadSet("drums.set"));
        ASSERT_EQ(1, second.SaveSet("drums.set"));
        ASSERT_EQ(once, ReadBytes("drums.set")) << "round " << round;
    }
}

} // namespace
