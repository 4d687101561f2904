// SPDX-License-Identifier: MIT
// A fresh folder as the working folder for the scope's life; then the previous
// working folder comes back and the folder is removed. The program opens
// "drums.set" by its bare name, so every test that reaches it runs in one.
// The program's own folder of files (its state folder) is made private to it too.
#pragma once

#include <filesystem>
#include <string>

class CTempFolder {
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    // The folder of the program's own files (recovery files) for the scope's
    // life: private to the test, outside its working folder.
    std::filesystem::path Kept() const;

private:
    std::filesystem::path m_previous;
    std::filesystem::path m_path;
    std::filesystem::path m_state;
    std::string m_previousState;
    bool m_hadState = false;
};
