// SPDX-License-Identifier: MIT
// The starter "drums.set" that a first run copies into the working folder: it must be in the
// file's exact layout, name every sound, reach every sound from the keyboard, and load into
// the kit as written.
#include "DrumKit.h"
#include "KeyNames.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

const std::string kStarterSet = std::string(KADENZO_SOURCE_DIR) + "/res/drums.set";

struct SStarterSet {
    std::string m_names[kSoundCount];
    int m_keyMap[kKeyMapSize];
    std::string m_fault; // empty when the layout is exact
};

SStarterSet Parse(const std::string& text) {
    SStarterSet set;
    for (int& entry : set.m_keyMap)
        entry = kNoSound;
    size_t at = 0;
    for (int sound = 0; sound < kSoundCount; ++sound) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            set.m_fault = "name line " + std::to_string(sound) + " does not end in CR LF";
            return set;
        }
        set.m_names[sound] = text.substr(at, end - at);
        at = end + 2;
    }
    for (int code = 1; code < kKeyMapSize; ++code) {
        const size_t space = text.find(' ', at);
        const std::string number = text.substr(at, space - at);
        if (space == std::string::npos || number.empty() ||
            number.find_first_not_of("0123456789") != std::string::npos) {
            set.m_fault =
                "entry of scan code " + std::to_string(code) + " is not a number and a space";
            return set;
        }
        set.m_keyMap[code] = std::stoi(number);
        at = space + 1;
    }
    if (at != text.size())
        set.m_fault = "text after the 255th entry";
    return set;
}

const SStarterSet& Starter() {
    static const SStarterSet set = [] { return Parse(ReadBytes(kStarterSet)); }();
    return set;
}

TEST(StarterSet, HasTheExactLayoutOfTheDrumSetFile) {
    EXPECT_EQ("", Starter().m_fault);
}

TEST(StarterSet, NamesEverySoundOnceAndReachesItFromANamedKey) {
    const SStarterSet& set = Starter();
    ASSERT_EQ("", set.m_fault);
    std::set<std::string> names;
    for (const std::string& name : set.m_names) {
        ASSERT_FALSE(name.empty());
        EXPECT_TRUE(name.front() != ' ' && name.back() != ' ') << "'" << name << "'";
        EXPECT_TRUE(names.insert(name).second) << "two sounds named " << name;
    }
    bool bound[kSoundCount] = {};
    for (int code = 1; code < kKeyMapSize; ++code) {
        const int sound = set.m_keyMap[code];
        if (sound == kNoSound)
            continue;
        ASSERT_GE(sound, 0);
        ASSERT_LT(sound, kSoundCount) << "scan code " << code;
        EXPECT_NE("", KeyName(ScanCode(code)))
            << "scan code " << code << " is no key of a keyboard";
        bound[sound] = true;
    }
    for (int sound = 0; sound < kSoundCount; ++sound)
        EXPECT_TRUE(bound[sound]) << set.m_names[sound] << " has no key";
}

TEST(StarterSet, LoadsIntoTheKitAsWritten) {
    const SStarterSet& set = Starter();
    ASSERT_EQ("", set.m_fault);
    CDrumKit kit;
    ASSERT_EQ(1, kit.LoadSet(kStarterSet.c_str()));
    for (int sound = 0; sound < kSoundCount; ++sound)
        EXPECT_EQ(set.m_names[sound], kit.m_names[sound]);
    for (int code = 1; code < kKeyMapSize; ++code)
        EXPECT_EQ(set.m_keyMap[code], kit.m_keyMap[code]) << "scan code " << code;
}

} // namespace
