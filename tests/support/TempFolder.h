// SPDX-License-Identifier: MIT
// A fresh folder as the working folder for the scope's life; then the previous
// working folder comes back and the folder is removed. The program opens
// "drums.set" by its bare name, so every test that reaches it runs in one.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <stdlib.h>
#include <system_error>

class CTempFolder {
public:
    CTempFolder() {
        m_previous = std::filesystem::current_path();
        char name[] = "/tmp/kadenzo-test-XXXXXX";
        if (mkdtemp(name) == nullptr) {
            ADD_FAILURE() << "mkdtemp failed";
            return;
        }
        m_path = name;
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
