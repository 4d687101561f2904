// SPDX-License-Identifier: MIT
// The dialog font and its base units, as Windows derives them. Internal to the
// implementation.
#pragma once

#include "DialogTemplates.h"

#include <QFont>

QFont AfxDialogFont(const SDialogTemplate& dialogTemplate);
void AfxDialogBaseUnits(const QFont& font, int* pBaseX, int* pBaseY);
int AfxMulDiv(int value, int numerator, int denominator);
