// Draws the editor's two bitmap resources with the project's own drawing layer and writes them as
// 24-bit BMP files: background.bmp (resource 128, 521 x 166) and knob.bmp (resource 129, the
// 49 x 3921 knob filmstrip: 80 frames of 49 x 49, minimum at the top, and one spare row).
//
//     make_pictures <output directory>
//
// Pixels that need anti-aliasing are shaded here by supersampling; lines, fills, ellipses and the
// captions go through the GDI calls the toolkit itself uses.
#include "platform/Platform.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{

constexpr double kPi = 3.14159265358979323846;

struct Rgb
{
    double r, g, b;
};

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

COLORREF ref(Rgb c)
{
    auto clamp = [](double v)
    { return static_cast<int>(std::lround(std::fmin(255, std::fmax(0, v)))); };
    return RGB(clamp(c.r), clamp(c.g), clamp(c.b));
}

Rgb rgbOf(COLORREF c)
{
    return {double(GetRValue(c)), double(GetGValue(c)), double(GetBValue(c))};
}

// Palette shared by both pictures.
const Rgb kPanelTop{46, 50, 60};
const Rgb kPanelBottom{27, 29, 36};
const Rgb kWell{15, 16, 20};
const Rgb kAmber{238, 170, 60};
const Rgb kTeal{70, 190, 200};
const Rgb kCaption{208, 212, 222};
const Rgb kTrack{48, 51, 60};

// A memory DC with a colour bitmap of the given size.
class Picture
{
public:
    Picture(int width, int height) : width_(width), height_(height)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, width, height);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
        SetBkMode(dc_, TRANSPARENT);
    }
    ~Picture()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // Paints `colour` over the box with the coverage of `inside`, 4 x 4 samples per pixel.
    void shade(int left, int top, int right, int bottom,
               const std::function<bool(double, double)>& inside,
               const std::function<Rgb(double, double)>& colour)
    {
        for (int y = std::max(0, top); y < std::min(height_, bottom); ++y)
            for (int x = std::max(0, left); x < std::min(width_, right); ++x)
            {
                int hits = 0;
                for (int sy = 0; sy < 4; ++sy)
                    for (int sx = 0; sx < 4; ++sx)
                        hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
                if (hits == 0)
                    continue;
                const Rgb under = rgbOf(GetPixel(dc_, x, y));
                SetPixel(dc_, x, y, ref(mix(under, colour(x + 0.5, y + 0.5), hits / 16.0)));
            }
    }

    void line(int x0, int y0, int x1, int y1, Rgb colour)
    {
        HPEN pen = CreatePen(PS_SOLID, 1, ref(colour));
        HGDIOBJ old = SelectObject(dc_, pen);
        MoveToEx(dc_, x0, y0, nullptr);
        LineTo(dc_, x1, y1);
        SelectObject(dc_, old);
        DeleteObject(pen);
    }

    void fill(RECT r, Rgb colour)
    {
        HBRUSH brush = CreateSolidBrush(ref(colour));
        FillRect(dc_, &r, brush);
        DeleteObject(brush);
    }

    void ellipse(int left, int top, int right, int bottom, Rgb fill, const Rgb* outline)
    {
        HBRUSH brush = CreateSolidBrush(ref(fill));
        HPEN pen = outline ? CreatePen(PS_SOLID, 1, ref(*outline)) : nullptr;
        HGDIOBJ oldBrush = SelectObject(dc_, brush);
        HGDIOBJ oldPen = SelectObject(dc_, pen ? pen : GetStockObject(NULL_PEN));
        Ellipse(dc_, left, top, right, bottom);
        SelectObject(dc_, oldPen);
        SelectObject(dc_, oldBrush);
        DeleteObject(brush);
        if (pen)
            DeleteObject(pen);
    }

    void text(const char* s, RECT r, int height, bool bold, Rgb colour, UINT align)
    {
        LOGFONTA lf{};
        lf.lfHeight = -height;
        lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
        std::strcpy(lf.lfFaceName, "Arial");
        HFONT font = CreateFontIndirectA(&lf);
        HGDIOBJ old = SelectObject(dc_, font);
        SetTextColor(dc_, ref(colour));
        DrawTextA(dc_, s, -1, &r, align | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        SelectObject(dc_, old);
        DeleteObject(font);
    }

    // Text with a one-pixel dark shadow below, as if engraved into the panel.
    void engraved(const char* s, RECT r, int height, bool bold, Rgb colour, UINT align)
    {
        RECT shadow{r.left, r.top + 1, r.right, r.bottom + 1};
        text(s, shadow, height, bold, Rgb{8, 9, 12}, align);
        text(s, r, height, bold, colour, align);
    }

    bool writeBmp(const std::string& path) const
    {
        const int stride = (width_ * 3 + 3) & ~3;
        const uint32_t imageSize = static_cast<uint32_t>(stride) * height_;
        std::vector<unsigned char> file(54 + imageSize, 0);
        auto put32 = [&](size_t at, uint32_t v)
        {
            for (int i = 0; i < 4; ++i)
                file[at + i] = static_cast<unsigned char>(v >> (8 * i));
        };
        file[0] = 'B';
        file[1] = 'M';
        put32(2, static_cast<uint32_t>(file.size()));
        put32(10, 54);
        put32(14, 40);
        put32(18, static_cast<uint32_t>(width_));
        put32(22, static_cast<uint32_t>(height_));
        file[26] = 1;
        file[28] = 24;
        put32(34, imageSize);
        put32(38, 2835); // 72 dpi
        put32(42, 2835);
        const qev::platform::PixelView view = qev::platform::bitmapPixels(bitmap_);
        for (int y = 0; y < height_; ++y)
        {
            unsigned char* out = file.data() + 54 + static_cast<size_t>(height_ - 1 - y) * stride;
            for (int x = 0; x < width_; ++x)
            {
                const uint32_t p = view.pixels[static_cast<size_t>(y) * width_ + x];
                out[x * 3] = static_cast<unsigned char>(p);
                out[x * 3 + 1] = static_cast<unsigned char>(p >> 8);
                out[x * 3 + 2] = static_cast<unsigned char>(p >> 16);
            }
        }
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f)
            return false;
        const bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
        return std::fclose(f) == 0 && ok;
    }

private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// Deterministic noise in [-1, 1].
double noise(unsigned a, unsigned b)
{
    unsigned h = a * 374761393u + b * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return ((h ^ (h >> 16)) & 0xFFFF) / 32767.5 - 1.0;
}

// Where a knob's pointer points for a value in 0..1: 270 degrees from lower left (225 degrees,
// counter-clockwise from the right) round to lower right (-45 degrees). Screen y grows downward.
double pointerAngle(double value)
{
    return (225.0 - 270.0 * value) * kPi / 180.0;
}

// 0 at the minimum end of the sweep, growing clockwise; above 270 lies the gap at the bottom.
double sweepDegrees(double dx, double dy)
{
    const double phi = std::atan2(-dy, dx) * 180.0 / kPi;
    return std::fmod(225.0 - phi + 720.0, 360.0);
}

bool nearSegment(double px, double py, double ax, double ay, double bx, double by, double radius)
{
    const double vx = bx - ax;
    const double vy = by - ay;
    const double t =
        std::fmax(0, std::fmin(1, ((px - ax) * vx + (py - ay) * vy) / (vx * vx + vy * vy)));
    const double dx = px - (ax + t * vx);
    const double dy = py - (ay + t * vy);
    return dx * dx + dy * dy <= radius * radius;
}

const int kKnobX[7] = {27, 91, 154, 221, 286, 378, 442};
const char* const kKnobCaption[7] = {"SPEED",    "LO-FREQ",   "HI-FRQ", "WIDTH",
                                     "FEEDBACK", "DRY / WET", "VOLUME"};
constexpr int kKnobTop = 26;
constexpr int kKnobSize = 49;

struct MenuPlace
{
    int x, y;
    const char* caption;
};
const MenuPlace kMenus[2] = {{26, 106, "SYNC"}, {122, 106, "STAGE"}};

void drawPanel(Picture& p)
{
    for (int y = 0; y < p.height(); ++y)
        for (int x = 0; x < p.width(); ++x)
        {
            // Brushed metal: streaks along the rows plus a little grain.
            const double streak =
                noise(static_cast<unsigned>(y), static_cast<unsigned>(x / 23)) * 2.2;
            const double grain =
                noise(static_cast<unsigned>(x), static_cast<unsigned>(y) + 9000u) * 1.2;
            const Rgb base = mix(kPanelTop, kPanelBottom, y / double(p.height() - 1));
            SetPixel(p.dc(), x, y,
                     ref({base.r + streak + grain, base.g + streak + grain,
                          base.b + streak * 1.2 + grain}));
        }
    // Bevelled edge.
    const int w = p.width();
    const int h = p.height();
    p.line(0, 0, w, 0, {84, 90, 104});
    p.line(0, 0, 0, h, {74, 80, 94});
    p.line(0, h - 1, w, h - 1, {8, 9, 12});
    p.line(w - 1, 0, w - 1, h, {10, 11, 14});
    p.line(1, 1, w - 1, 1, {60, 65, 77});
    // Screws in the corners.
    const Rgb screwRim{20, 21, 26};
    for (const POINT c : {POINT{9, 9}, POINT{511, 9}, POINT{9, 156}, POINT{511, 156}})
    {
        p.ellipse(c.x - 5, c.y - 5, c.x + 6, c.y + 6, {92, 97, 110}, &screwRim);
        p.shade(
            c.x - 4, c.y - 4, c.x + 5, c.y + 5,
            [&](double x, double y)
            { return nearSegment(x, y, c.x - 2.2, c.y + 2.7, c.x + 3.2, c.y - 1.7, 0.6); },
            [](double, double) {
                return Rgb{30, 31, 37};
            });
    }
}

void drawKnobPlace(Picture& p, int index)
{
    const int left = kKnobX[index];
    const double cx = left + kKnobSize / 2.0;
    const double cy = kKnobTop + kKnobSize / 2.0;
    // A recess the knob sits in, with a lighter lower lip.
    p.shade(
        left - 3, kKnobTop - 3, left + kKnobSize + 3, kKnobTop + kKnobSize + 3,
        [&](double x, double y) { return std::hypot(x - cx, y - cy) <= 24.6; },
        [&](double x, double y)
        {
            const double lip = std::fmax(0, ((x - cx) + (y - cy)) / 24.6 * 0.7);
            return mix(kWell, Rgb{70, 75, 88}, std::hypot(x - cx, y - cy) > 23.4 ? lip : 0);
        });
    // Scale: eleven ticks over the sweep, the two ends in the accent colour.
    for (int i = 0; i <= 10; ++i)
    {
        const double a = pointerAngle(i / 10.0);
        const double ux = std::cos(a);
        const double uy = -std::sin(a);
        const bool end = i == 0 || i == 10;
        const double inner = 26.4;
        const double outer = end ? 30.5 : 29.0;
        p.shade(
            static_cast<int>(cx - 32), static_cast<int>(cy - 32), static_cast<int>(cx + 33),
            static_cast<int>(cy + 33),
            [&](double x, double y)
            {
                return nearSegment(x, y, cx + ux * inner, cy + uy * inner, cx + ux * outer,
                                   cy + uy * outer, 0.7);
            },
            [&](double, double) {
                return end ? kAmber : Rgb{150, 156, 170};
            });
    }
    p.engraved(kKnobCaption[index], RECT{left - 12, 84, left + kKnobSize + 12, 98}, 11, true,
               kCaption, DT_CENTER);
}

void drawMenuPlace(Picture& p, const MenuPlace& m)
{
    // A dark frame with a blue inner edge around the 50 x 16 menu, which paints itself dark blue.
    p.fill(RECT{m.x - 3, m.y - 3, m.x + 53, m.y + 19}, {9, 10, 14});
    p.fill(RECT{m.x - 2, m.y - 2, m.x + 52, m.y + 18}, {44, 58, 140});
    p.fill(RECT{m.x - 1, m.y - 1, m.x + 51, m.y + 17}, {10, 16, 64});
    p.fill(RECT{m.x, m.y, m.x + 50, m.y + 16}, {18, 31, 122});
    p.line(m.x - 3, m.y + 19, m.x + 54, m.y + 19, {72, 78, 92});
    p.engraved(m.caption, RECT{m.x - 10, m.y + 23, m.x + 60, m.y + 37}, 11, true, kCaption,
               DT_CENTER);
}

void drawTitle(Picture& p)
{
    // Two sine waves drifting out of phase: what the effect does to a sound.
    const double x0 = 214;
    const double x1 = 318;
    for (int wave = 0; wave < 2; ++wave)
    {
        const double phase = wave * 1.3;
        const Rgb colour = wave == 0 ? kTeal : kAmber;
        p.shade(
            static_cast<int>(x0) - 2, 104, static_cast<int>(x1) + 2, 154,
            [&](double x, double y)
            {
                if (x < x0 || x > x1)
                    return false;
                const double t = (x - x0) / (x1 - x0);
                const double fade = std::sin(t * kPi);
                const double curve = 129 + 17 * fade * std::sin(t * 4 * kPi + phase * (0.4 + t));
                return std::fabs(y - curve) <= 1.0;
            },
            [&](double, double) { return colour; });
    }
    p.engraved("QEV PHASER", RECT{330, 104, 505, 134}, 26, true, kAmber, DT_RIGHT);
    p.engraved("STEREO  PHASER", RECT{330, 134, 505, 148}, 11, false, {150, 156, 170}, DT_RIGHT);
    // Divider between the modulation knobs and the output pair.
    p.line(356, 20, 356, 98, {14, 15, 19});
    p.line(357, 20, 357, 98, {70, 76, 90});
}

void drawBackground(Picture& p)
{
    drawPanel(p);
    for (int i = 0; i < 7; ++i)
        drawKnobPlace(p, i);
    for (const MenuPlace& m : kMenus)
        drawMenuPlace(p, m);
    drawTitle(p);
}

// One 49 x 49 frame at `top`: pure black wherever the panel must show through.
void drawKnobFrame(Picture& p, int top, double value)
{
    const double cx = kKnobSize / 2.0;
    const double cy = top + kKnobSize / 2.0;
    const double sweep = 270.0 * value;
    const double a = pointerAngle(value);
    const double ux = std::cos(a);
    const double uy = -std::sin(a);
    const int bottom = top + kKnobSize;
    auto sweepAt = [&](double x, double y) { return sweepDegrees(x - cx, y - cy); };
    auto radius = [&](double x, double y) { return std::hypot(x - cx, y - cy); };

    // Value ring: the track, lit in the accent colour up to the value.
    p.shade(
        0, top, kKnobSize, bottom,
        [&](double x, double y)
        {
            const double r = radius(x, y);
            return r >= 19.6 && r <= 22.4 && sweepAt(x, y) <= 270.0;
        },
        [&](double x, double y)
        {
            const double s = sweepAt(x, y);
            return s <= sweep ? mix(kAmber, Rgb{255, 214, 128}, s / 270.0 * 0.5) : kTrack;
        });
    // Body: a turned-metal skirt and a cap lit from the upper left.
    p.shade(
        0, top, kKnobSize, bottom, [&](double x, double y) { return radius(x, y) <= 17.0; },
        [&](double x, double y)
        {
            const double light = 0.5 - ((x - cx) + (y - cy)) / (2 * 17.0) * 0.9;
            const double r = radius(x, y);
            if (r > 16.0)
                return mix(Rgb{30, 32, 38}, Rgb{130, 136, 150}, light);
            if (r > 12.5)
                return mix(Rgb{40, 42, 50}, Rgb{96, 101, 115}, light);
            return mix(Rgb{92, 97, 110}, Rgb{52, 55, 64}, light);
        });
    // Pointer.
    p.shade(
        0, top, kKnobSize, bottom,
        [&](double x, double y) {
            return nearSegment(x, y, cx + ux * 4.5, cy + uy * 4.5, cx + ux * 14.5, cy + uy * 14.5,
                               1.35);
        },
        [](double, double) {
            return Rgb{248, 242, 230};
        });
}

void drawKnobStrip(Picture& p)
{
    p.fill(RECT{0, 0, p.width(), p.height()}, {0, 0, 0});
    for (int k = 0; k < 80; ++k)
        drawKnobFrame(p, k * kKnobSize, k / 79.0);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: make_pictures <output directory>\n");
        return 2;
    }
    const std::string dir = argv[1];
    Picture background(521, 166);
    drawBackground(background);
    Picture knob(kKnobSize, 80 * kKnobSize + 1);
    drawKnobStrip(knob);
    if (!background.writeBmp(dir + "/background.bmp") || !knob.writeBmp(dir + "/knob.bmp"))
    {
        std::fprintf(stderr, "make_pictures: cannot write into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
