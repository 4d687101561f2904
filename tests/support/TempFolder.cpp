// SPDX-License-Identifier: MIT
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <system_error>

namespace {

// Where the program keeps files of its own for the user, named by the
// platform's variable.
#ifdef _WIN32
const char kStateVariable[] = "LOCALAPPDATA";
#else
const char kStateVariable[] = "XDG_STATE_HOME";
#endif

void SetStateVariable(const std::string& value, bool set) {
#ifdef _WIN32
    _putenv_s(kStateVariable, set ? value.c_str() : "");
#else
    if (set)
        setenv(kStateVariable, value.c_str(), 1);
    else
        unsetenv(kStateVariable);
#endif
}

} // namespace

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
    // The program's own files of a test go beside its folder, and with it.
    const char* pPrevious = std::getenv(kStateVariable);
    m_hadState = pPrevious != nullptr;
    if (m_hadState)
        m_previousState = pPrevious;
    m_state = m_path.string() + "-state";
    SetStateVariable(m_state.string(), true);
}

CTempFolder::~CTempFolder() {
    std::error_code error;
    std::filesystem::current_path(m_previous, error);
    if (!m_path.empty()) {
        std::filesystem::remove_all(m_path, error);
        std::filesystem::remove_all(m_state, error);
        SetStateVariable(m_previousState, m_hadState);
    }
}

std::filesystem::path CTempFolder::Kept() const {
#ifdef _WIN32
    return m_state / "Kadenzo";
#else
    return m_state / "kadenzo";
#endif
}
