// SPDX-License-Identifier: MIT
// Icons of the Qt implementation: what an icon handle names. Internal to the
// implementation.
#pragma once

#include "WinApi.h"

#include <QImage>

struct SIconImage {
    QImage m_big;   // 32 x 32
    QImage m_small; // 16 x 16
};

inline SIconImage* AfxIconImage(HICON icon) {
    return reinterpret_cast<SIconImage*>(icon);
}
inline HICON AfxHandleFromIconImage(SIconImage* pImage) {
    return reinterpret_cast<HICON>(pImage);
}
