// SPDX-License-Identifier: MIT
// Stand-ins around the kit: the window's key list, and which buffer of the fake
// sound device a voice of the kit got.
#pragma once

#include "DrumTypes.h"
#include "KeyList.h"

#include <string>
#include <utility>
#include <vector>

// The fake numbers buffers in the order they are made, and a kit whose voices
// all got one made them sound by sound, voice by voice.
inline int BufferOf(int sound, int voice) {
    return sound * kVoicesPerSound + voice + 1;
}

// Records the operations in order, and the rows they leave: key name and sound name.
class CRecordingKeyList : public IKeyList {
public:
    int DeleteAllItems() override {
        m_calls.push_back("delete all");
        m_rows.clear();
        return 1;
    }
    int InsertItem(int item, const std::string& text) override {
        m_calls.push_back("insert " + std::to_string(item) + " " + text);
        if (item < 0 || item > static_cast<int>(m_rows.size()))
            return -1;
        m_rows.insert(m_rows.begin() + item, {text, ""});
        return item;
    }
    int SetItemText(int item, int subItem, const std::string& text) override {
        m_calls.push_back("set " + std::to_string(item) + " " + std::to_string(subItem) + " " +
                          text);
        if (item < 0 || item >= static_cast<int>(m_rows.size()) || subItem != 1)
            return 0;
        m_rows[static_cast<size_t>(item)].second = text;
        return 1;
    }

    std::vector<std::string> m_calls;
    std::vector<std::pair<std::string, std::string>> m_rows;
};
