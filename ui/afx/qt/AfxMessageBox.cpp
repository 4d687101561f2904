// SPDX-License-Identifier: MIT
// The ownerless message box on Qt.
#include "AfxBackEnd.h"
#include "AfxText.h"
#include "AfxToolkit.h"

#include <QMessageBox>

int AfxShowMessageBox(const char* text, const char* caption, UINT type) {
    // A program told to end asks nothing: whoever sent the signal waits for it
    // to go.
    if (AfxTerminationRequested())
        return 0;
    const bool retry = (type & 0x0F) == MB_RETRYCANCEL;
    QMessageBox box((type & 0xF0) == MB_ICONWARNING ? QMessageBox::Warning
                                                    : QMessageBox::Information,
                    AfxTextFromBytes(caption), AfxTextFromBytes(text),
                    retry ? QMessageBox::Retry | QMessageBox::Cancel : QMessageBox::Ok);
    box.setDefaultButton(retry ? QMessageBox::Retry : QMessageBox::Ok);
    box.setEscapeButton(retry ? QMessageBox::Cancel : QMessageBox::Ok);
    const int pressed = box.exec();
    if (pressed == QMessageBox::Retry && !AfxTerminationRequested())
        return IDRETRY;
    return retry ? IDCANCEL : IDOK;
}
