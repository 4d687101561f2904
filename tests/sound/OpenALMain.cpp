// SPDX-License-Identifier: MIT
// Writes this program's OpenAL Soft configuration before the first OpenAL call,
// then runs the tests; or, run again as a probe, opens the device once.
#include "OpenALSeams.h"
#include "WaveWriterOutput.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    // The writer opens at once; only a very busy machine could make it late.
    kds::SetOpenWaitMs(60000);
    if (argc == 3 && std::strcmp(argv[1], "--open-probe") == 0)
        return OpenProbe(argv[2]);

    char dir[] = "/tmp/kadenzo-openal-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    g_dir = dir;
    g_waveFile = g_dir + "/out.wav";
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    g_self = n > 0 ? std::string(self, size_t(n)) : std::string(argv[0]);
    const std::string config = g_dir + "/alsoft.conf";
    WriteFile(config, WaveConfig(g_waveFile));
    setenv("ALSOFT_CONF", config.c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::remove(g_waveFile.c_str());
    std::remove((g_dir + "/probe.conf").c_str());
    std::remove(config.c_str());
    rmdir(dir);
    return result;
}
