// SPDX-License-Identifier: MIT
// A fresh folder as the working folder for the scope's life; then the previous
// working folder comes back and the folder is removed. The program opens
// "drums.set" by its bare name, so every test that reaches it runs in one.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <system_error>

class CTempFolder {
public:
    CTempFolder() {
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
    ~CTempFolder() {
        std::error_code error;
        std::filesystem::current_path(m_previous, error);
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, error);
    }
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};
