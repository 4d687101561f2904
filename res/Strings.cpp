// SPDX-License-Identifier: MIT
#include "Resources.h"
#include "resource.h"

const char* LoadResourceString(int id) {
    switch (id) {
    case IDS_ABOUTBOX:
        return "&About Kadenzo...";
    default:
        return "";
    }
}
