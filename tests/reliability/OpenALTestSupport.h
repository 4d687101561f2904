// SPDX-License-Identifier: MIT
// Helpers of the reliability tests that run the kit on the real OpenAL Soft back
// end. OpenAL Soft reads its configuration once, at its first call: each test
// program points ALSOFT_CONF at a file of its own before that.
#pragma once

#include "CoreTestFiles.h"
#include "KeyList.h"

#include <AL/al.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

// Writes config as this process's OpenAL Soft configuration, in a file that
// lives as long as the object.
class CAlsoftConfig {
public:
    explicit CAlsoftConfig(const std::string& config) {
        char name[] = "/tmp/kadenzo-alsoft-XXXXXX";
        const int fd = mkstemp(name);
        if (fd < 0) {
            ADD_FAILURE() << "mkstemp failed";
            return;
        }
        close(fd);
        m_path = name;
        std::ofstream(m_path, std::ios::trunc) << config;
        // A driver list in the environment would win over the file.
        unsetenv("ALSOFT_DRIVERS");
        setenv("ALSOFT_CONF", m_path.c_str(), 1);
    }
    ~CAlsoftConfig() {
        if (!m_path.empty())
            std::remove(m_path.c_str());
    }
    CAlsoftConfig(const CAlsoftConfig&) = delete;
    CAlsoftConfig& operator=(const CAlsoftConfig&) = delete;

private:
    std::string m_path;
};

// The key list as the window shows it: rows of key name and sound name.
class CRecordingKeyList : public IKeyList {
public:
    int DeleteAllItems() override {
        m_rows.clear();
        return 1;
    }
    int InsertItem(int item, const std::string& text) override {
        if (item < 0 || item > static_cast<int>(m_rows.size()))
            return -1;
        m_rows.insert(m_rows.begin() + item, {text, std::string()});
        return item;
    }
    int SetItemText(int item, int subItem, const std::string& text) override {
        if (item < 0 || item >= static_cast<int>(m_rows.size()) || subItem < 0 || subItem > 1)
            return 0;
        (subItem == 0 ? m_rows[item].first : m_rows[item].second) = text;
        return 1;
    }

    std::vector<std::pair<std::string, std::string>> m_rows;
};

// The starter set shipped with the program: names and bindings over the letter rows.
inline std::string StarterSet() {
    return ReadBytes(std::string(KADENZO_SOURCE_DIR) + "/res/drums.set");
}

// This process's resident memory, in KiB.
inline long ResidentKiB() {
    long pages = 0;
    long resident = 0;
    FILE* pFile = std::fopen("/proc/self/statm", "r");
    if (pFile == nullptr)
        return -1;
    if (std::fscanf(pFile, "%ld %ld", &pages, &resident) != 2)
        resident = -1;
    std::fclose(pFile);
    return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// The sources of the current OpenAL context that are playing now.
inline int PlayingSources() {
    int playing = 0;
    for (ALuint name = 1; name < 4096; ++name) {
        if (!alIsSource(name))
            continue;
        ALint state = AL_STOPPED;
        alGetSourcei(name, AL_SOURCE_STATE, &state);
        playing += state == AL_PLAYING ? 1 : 0;
    }
    return playing;
}
