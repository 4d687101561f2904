// SPDX-License-Identifier: MIT
// Icons on Qt: the application's icons decoded from the embedded icon files,
// and the icon metrics.
#include "AfxIcon.h"

#include "AfxBackEnd.h"
#include "Resources.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>

#include <memory>

HICON AfxLoadIconResource(UINT id) {
    SResourceImage image;
    if (!FindResourceImage(kResTypeIcon, static_cast<int>(id), &image))
        return nullptr;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(image.m_pData),
                                               static_cast<qsizetype>(image.m_length));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    auto icon = std::make_unique<SIconImage>();
    const int count = reader.imageCount();
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QImage frame = reader.read();
        if (frame.width() == 32)
            icon->m_big = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        else if (frame.width() == 16)
            icon->m_small = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (icon->m_big.isNull() && icon->m_small.isNull())
        return nullptr;
    if (icon->m_big.isNull())
        icon->m_big = icon->m_small.scaled(32, 32);
    return AfxHandleFromIconImage(icon.release());
}

void AfxFreeIcon(HICON icon) {
    delete AfxIconImage(icon);
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}
