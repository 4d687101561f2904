// SPDX-License-Identifier: MIT
// Finds the format block and the sample data inside a WAVE image held in memory.
#pragma once

#include <cstdint>

// Walks the chunks of the RIFF/WAVE image of imageLength bytes. On success
// returns 1 with *pFormat at the first "fmt " body, *pData at the chosen "data"
// body and *pDataLength its size; returns 0 otherwise. The outputs are written
// on every call. Nothing outside the image's first imageLength bytes is read.
int ParseWaveImage(const unsigned char* image, uint32_t imageLength, const unsigned char** pFormat,
                   const unsigned char** pData, uint32_t* pDataLength);
