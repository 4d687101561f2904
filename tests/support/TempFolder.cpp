// SPDX-License-Identifier: MIT
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <system_error>

CTempFolder::CTempFolder() {
    m_previous = std::filesystem::current_path();
    char name[] = "/tmp/kadenzo-test-XXXXXX";
    if (mkdtemp(name) == nullptr) {
        ADD_FAILURE() << "mkdtemp failed";
        return;
    }
    m_path = name;
    std::filesystem::current_path(m_path);
}

CTempFolder::~CTempFolder() {
    std::error_code error;
    std::filesystem::current_path(m_previous, error);
    if (!m_path.empty())
        std::filesystem::remove_all(m_path, error);
}
