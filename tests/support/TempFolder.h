// SPDX-License-Identifier: MIT
// A fresh folder as the working folder for the scope's life; then the previous
// working folder comes back and the folder is removed. The program opens
// "drums.set" by its bare name, so every test that reaches it runs in one.
#pragma once

#include <filesystem>

class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
};
