// SPDX-License-Identifier: MIT
// Draws the program's icon, a snare drum with crossed sticks, and writes it as
//   OUTDIR/kadenzo.ico       32 x 32 and 16 x 16 at 16 colours, with transparency masks
//   OUTDIR/kadenzo.png       32 x 32 (the window icon)
//   OUTDIR/kadenzo-N.png     N x N for N = 16, 32, 128 (desktop integration)
// Usage: synthicon OUTDIR. The drawing is geometry evaluated per sub-pixel, so every size is
// drawn, not scaled; the output is the same, byte for byte, on every run.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct SColour {
    double m_r, m_g, m_b, m_a;
};

constexpr SColour kClear = {0, 0, 0, 0};
constexpr SColour kOutline = {46, 22, 26, 1};
constexpr SColour kShellDark = {120, 14, 26, 1};
constexpr SColour kShell = {196, 32, 44, 1};
constexpr SColour kShellLight = {236, 96, 96, 1};
constexpr SColour kHead = {244, 240, 226, 1};
constexpr SColour kHeadShade = {206, 200, 184, 1};
constexpr SColour kChrome = {214, 220, 230, 1};
constexpr SColour kChromeDark = {118, 126, 140, 1};
constexpr SColour kWood = {214, 158, 84, 1};
constexpr SColour kWoodDark = {150, 96, 40, 1};
constexpr SColour kWoodLight = {246, 210, 150, 1};

SColour Mix(const SColour& a, const SColour& b, double t) {
    return {a.m_r + (b.m_r - a.m_r) * t, a.m_g + (b.m_g - a.m_g) * t, a.m_b + (b.m_b - a.m_b) * t,
            a.m_a + (b.m_a - a.m_a) * t};
}

// The drum's geometry in unit coordinates (x right, y down), for an icon of `size` pixels:
// lines are never thinner than about one pixel, so the small sizes stay readable.
class CDrumScene {
public:
    explicit CDrumScene(int size) : m_px(1.0 / size), m_small(size < 32) {}

    SColour At(double x, double y) const {
        const double line = std::max(0.03, 1.0 * m_px);
        SColour c = kClear;
        if (InDrum(x, y, line))
            c = kOutline;
        if (InDrum(x, y, 0.0))
            c = Shell(x);
        if (OnRod(x, y, line))
            c = kChrome;
        if (Ellipse(x, y, kBottom, kRx, kRy) <= 1.0 && y > kBottom &&
            Ellipse(x, y, kBottom, kRx - line, kRy - line) > 1.0)
            c = kChromeDark;
        const double top = Ellipse(x, y, kTop, kRx, kRy);
        if (top <= 1.0)
            c = kChrome;
        const double hoop = m_small ? 0.6 * m_px : line;
        if (Ellipse(x, y, kTop, kRx - 1.4 * hoop, kRy - 1.2 * hoop) <= 1.0)
            c = Mix(kHead, kHeadShade, std::clamp((kTop - y) / kRy + 0.3, 0.0, 1.0) * 0.8);
        // At 16 pixels a stick is a one-pixel line without outline or bead.
        const double stickRadius = m_small ? 0.6 * m_px : std::max(0.032, 0.8 * m_px);
        const double stickLine = m_small ? 0.0 : line;
        for (const double(&s)[4] : kSticks) {
            const double d = Segment(x, y, s);
            if (d <= stickRadius + stickLine)
                c = kOutline;
            if (d <= stickRadius)
                c = d < 0.4 * stickRadius ? kWoodLight : kWood;
            if (m_small)
                continue;
            if (std::hypot(x - s[2], y - s[3]) <= stickRadius * 1.6 + line)
                c = kOutline;
            if (std::hypot(x - s[2], y - s[3]) <= stickRadius * 1.6)
                c = kWoodDark;
        }
        return c;
    }

private:
    static constexpr double kRx = 0.40, kRy = 0.13; // head and bottom ellipses
    static constexpr double kTop = 0.50, kBottom = 0.80;
    static constexpr double kLeft = 0.5 - kRx, kRight = 0.5 + kRx;
    // Two sticks crossing above the head: from the butt (x0, y0) to the bead (x1, y1).
    static constexpr double kSticks[2][4] = {{0.10, 0.08, 0.66, 0.46}, {0.90, 0.10, 0.34, 0.44}};

    static double Ellipse(double x, double y, double cy, double rx, double ry) {
        const double u = (x - 0.5) / rx, v = (y - cy) / ry;
        return u * u + v * v;
    }
    // The silhouette of shell and head, grown by `grow`.
    static bool InDrum(double x, double y, double grow) {
        const double rx = kRx + grow, ry = kRy + grow;
        if (x >= 0.5 - rx && x <= 0.5 + rx && y >= kTop && y <= kBottom)
            return true;
        return Ellipse(x, y, kTop, rx, ry) <= 1.0 || Ellipse(x, y, kBottom, rx, ry) <= 1.0;
    }
    // A cylinder lit from the upper left: light falls off toward both edges.
    static SColour Shell(double x) {
        const double u = (x - kLeft) / (kRight - kLeft); // 0 at the left edge, 1 at the right
        const double light = std::cos((u - 0.32) * 3.14159265358979 * 0.9);
        return light > 0.75 ? Mix(kShell, kShellLight, (light - 0.75) * 2.0)
                            : Mix(kShellDark, kShell, std::clamp(light / 0.75, 0.0, 1.0));
    }
    // Tension rods between the hoops, spaced as on a cylinder seen from the front.
    bool OnRod(double x, double y, double line) const {
        if (y < kTop || y > kBottom + kRy * 0.5)
            return false;
        const double width = std::max(0.025, 0.7 * m_px);
        static constexpr double kFour[] = {-1.1, -0.45, 0.2, 0.85}, kTwo[] = {-0.6, 0.6};
        for (double angle : m_small ? std::vector<double>(kTwo, kTwo + 2)
                                    : std::vector<double>(kFour, kFour + 4)) {
            const double rodX = 0.5 + kRx * std::sin(angle);
            const double rodBottom = kBottom + kRy * std::cos(angle);
            if (std::fabs(x - rodX) <= width * std::cos(angle) && y <= rodBottom - line)
                return true;
        }
        return false;
    }
    static double Segment(double x, double y, const double (&s)[4]) {
        const double dx = s[2] - s[0], dy = s[3] - s[1];
        const double t =
            std::clamp(((x - s[0]) * dx + (y - s[1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(x - (s[0] + t * dx), y - (s[1] + t * dy));
    }

    double m_px;
    bool m_small;
};

struct SPixel {
    uint8_t m_r, m_g, m_b, m_a;
};

// Renders the scene at `size` pixels with 8 x 8 samples per pixel.
std::vector<SPixel> Draw(int size) {
    const CDrumScene scene(size);
    const int sub = 8;
    std::vector<SPixel> out;
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < sub; ++sy)
                for (int sx = 0; sx < sub; ++sx) {
                    const double x = (px + (sx + 0.5) / sub) / size;
                    const double y = (py + (sy + 0.5) / sub) / size;
                    const SColour c = scene.At(x, y);
                    r += c.m_r * c.m_a;
                    g += c.m_g * c.m_a;
                    b += c.m_b * c.m_a;
                    a += c.m_a;
                }
            SPixel p = {0, 0, 0, 0};
            if (a > 0) {
                p.m_r = uint8_t(std::lround(r / a));
                p.m_g = uint8_t(std::lround(g / a));
                p.m_b = uint8_t(std::lround(b / a));
                p.m_a = uint8_t(std::lround(255.0 * a / (sub * sub)));
            }
            out.push_back(p);
        }
    return out;
}

void Put16(std::vector<uint8_t>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}
void Put32Big(std::vector<uint8_t>& v, uint32_t x) {
    for (int shift = 24; shift >= 0; shift -= 8)
        v.push_back((x >> shift) & 0xFF);
}

uint32_t Crc32(const uint8_t* p, size_t n) {
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        crc ^= p[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

uint32_t Adler32(const std::vector<uint8_t>& v) {
    uint32_t a = 1, b = 0;
    for (uint8_t byte : v) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return (b << 16) | a;
}

void PutChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& body) {
    Put32Big(png, uint32_t(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    png.insert(png.end(), typed.begin(), typed.end());
    Put32Big(png, Crc32(typed.data(), typed.size()));
}

// An 8-bit RGBA PNG. The image data is a zlib stream of stored (uncompressed) blocks: icons
// are small, and this keeps the writer free of a compressor.
std::vector<uint8_t> Png(const std::vector<SPixel>& pixels, int size) {
    std::vector<uint8_t> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0); // no row filter
        for (int x = 0; x < size; ++x) {
            const SPixel& p = pixels[y * size + x];
            raw.insert(raw.end(), {p.m_r, p.m_g, p.m_b, p.m_a});
        }
    }
    std::vector<uint8_t> zlib = {0x78, 0x01};
    size_t at = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - at);
        zlib.push_back(at + n == raw.size() ? 1 : 0); // the last block carries the final flag
        Put16(zlib, uint32_t(n));
        Put16(zlib, uint32_t(~n & 0xFFFF));
        zlib.insert(zlib.end(), raw.begin() + at, raw.begin() + at + n);
        at += n;
    } while (at < raw.size());
    Put32Big(zlib, Adler32(raw));

    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Put32Big(header, uint32_t(size));
    Put32Big(header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", zlib);
    PutChunk(png, "IEND", {});
    return png;
}

// The icon's 16 colours: the drawing's own colours and the blends its edges need.
const SColour kPalette[16] = {
    {0, 0, 0, 1},       kOutline,
    kShellDark,         kShell,
    kShellLight,        kHead,
    kHeadShade,         kChrome,
    kChromeDark,        kWood,
    kWoodDark,          kWoodLight,
    {158, 28, 36, 1},   {150, 120, 110, 1},
    {255, 255, 255, 1}, {90, 60, 50, 1},
};

int Nearest(const SPixel& p) {
    int best = 1;
    double bestDistance = 1e30;
    for (int k = 1; k < 16; ++k) {
        const double dr = p.m_r - kPalette[k].m_r, dg = p.m_g - kPalette[k].m_g,
                     db = p.m_b - kPalette[k].m_b;
        const double d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = k;
        }
    }
    return best;
}

// One icon image: a 4-bit bitmap (rows bottom up) and its AND mask, which marks the
// transparent pixels; colour 0 is left for them.
std::vector<uint8_t> IconImage(const std::vector<SPixel>& pixels, int size) {
    const int xorRow = (size * 4 + 31) / 32 * 4, andRow = (size + 31) / 32 * 4;
    std::vector<uint8_t> v;
    Put32(v, 40);
    Put32(v, uint32_t(size));
    Put32(v, uint32_t(2 * size)); // bitmap and mask stacked
    Put16(v, 1);
    Put16(v, 4);
    Put32(v, 0);
    Put32(v, uint32_t((xorRow + andRow) * size));
    Put32(v, 0);
    Put32(v, 0);
    Put32(v, 16);
    Put32(v, 0);
    for (const SColour& c : kPalette)
        v.insert(v.end(), {uint8_t(c.m_b), uint8_t(c.m_g), uint8_t(c.m_r), 0});
    std::vector<uint8_t> bits(size_t(xorRow) * size, 0), mask(size_t(andRow) * size, 0);
    for (int y = 0; y < size; ++y) {
        const int row = size - 1 - y;
        for (int x = 0; x < size; ++x) {
            const SPixel& p = pixels[y * size + x];
            const bool opaque = p.m_a >= 128;
            const int index = opaque ? Nearest(p) : 0;
            bits[row * xorRow + x / 2] |= uint8_t(x % 2 == 0 ? index << 4 : index);
            if (!opaque)
                mask[row * andRow + x / 8] |= uint8_t(0x80 >> (x % 8));
        }
    }
    v.insert(v.end(), bits.begin(), bits.end());
    v.insert(v.end(), mask.begin(), mask.end());
    return v;
}

std::vector<uint8_t> Ico() {
    const int sizes[2] = {32, 16};
    std::vector<uint8_t> images[2];
    for (int i = 0; i < 2; ++i)
        images[i] = IconImage(Draw(sizes[i]), sizes[i]);
    std::vector<uint8_t> ico;
    Put16(ico, 0);
    Put16(ico, 1); // icon
    Put16(ico, 2);
    uint32_t offset = 6 + 16 * 2;
    for (int i = 0; i < 2; ++i) {
        ico.insert(ico.end(), {uint8_t(sizes[i]), uint8_t(sizes[i]), 16, 0});
        Put16(ico, 1);
        Put16(ico, 4);
        Put32(ico, uint32_t(images[i].size()));
        Put32(ico, offset);
        offset += uint32_t(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images)
        ico.insert(ico.end(), image.begin(), image.end());
    return ico;
}

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return (std::fclose(f) == 0) && written;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: synthicon OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = Write(dir + "/kadenzo.ico", Ico());
    ok = Write(dir + "/kadenzo.png", Png(Draw(32), 32)) && ok;
    for (int size : {16, 32, 128})
        ok = Write(dir + "/kadenzo-" + std::to_string(size) + ".png", Png(Draw(size), size)) && ok;
    if (!ok) {
        std::fprintf(stderr, "synthicon: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
