// SPDX-License-Identifier: MIT
// The application object: runs the drum pad window for the whole run.
#pragma once

#include "AfxWin.h"

class CDrumApp : public CWinApp {
public:
    CDrumApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
