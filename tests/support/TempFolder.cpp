// SPDX-License-Identifier: MIT
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <system_error>

// A fresh folder under the system's temporary folder, made by create_directory
// (which fails on a name taken) rather than mkdtemp, which the Windows runtime
// lacks.
CTempFolder::CTempFolder() {
    m_previous = std::filesystem::current_path();
    std::random_device random;
    std::error_code error;
    const std::filesystem::path base = std::filesystem::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && m_path.empty() && !error; ++attempt) {
        const std::filesystem::path path = base / ("kadenzo-test-" + std::to_string(random()));
        if (std::filesystem::create_directory(path, error))
            m_path = path;
    }
    if (m_path.empty()) {
        ADD_FAILURE() << "no temporary folder: " << error.message();
        return;
    }
    // The user's alone, as a folder made by mkdtemp.
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, error);
    std::filesystem::current_path(m_path);
}

CTempFolder::~CTempFolder() {
    std::error_code error;
    std::filesystem::current_path(m_previous, error);
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, error);
}
