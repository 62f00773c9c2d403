#include "plan/plan_raster.h"

#include <cstdlib>

namespace {

constexpr uint32_t White = 0xFFFFFF;

void Put(RasterSurface& s, int x, int y, uint32_t colour) {
    if (x >= 0 && y >= 0 && x < s.Width && y < s.Height)
        s.Pixels[size_t(y) * size_t(s.Width) + size_t(x)] = colour;
}

void Block(RasterSurface& s, int x, int y, int width, uint32_t colour) {
    const int from = -(width - 1) / 2;
    for (int dy = from; dy < from + width; ++dy)
        for (int dx = from; dx < from + width; ++dx)
            Put(s, x + dx, y + dy, colour);
}

// The colour of the pixel (dx, dy) from the middle of a mark of kind; false where the mark
// leaves the picture as it is.
bool MarkPixel(PlanKind kind, int dx, int dy, int r, uint32_t colour, uint32_t& pixel) {
    const int ax = std::abs(dx), ay = std::abs(dy);
    switch (kind) {
    case PlanObject: pixel = colour; return dx * dx + dy * dy <= r * r + r;
    case PlanGroup: pixel = colour; return true;
    case PlanLabel: pixel = ax + ay >= r - 1 ? colour : White; return ax + ay <= r;
    case PlanUnloadable: pixel = ax == r || ay == r || ax == ay ? colour : White; return true;
    }
    return false;
}

} // namespace

uint32_t RasterColour(const char* hex) {
    return uint32_t(std::strtoul(hex + 1, nullptr, 16)) & 0xFFFFFF;
}

void RasterStroke(RasterSurface& surface, int x0, int y0, int x1, int y1, int width,
                  uint32_t colour) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        Block(surface, x0, y0, width, colour);
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

void RasterMark(RasterSurface& surface, PlanKind kind, int x, int y, int r, uint32_t colour) {
    if (x + r < 0 || y + r < 0 || x - r >= surface.Width || y - r >= surface.Height)
        return;
    uint32_t pixel = 0;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx)
            if (MarkPixel(kind, dx, dy, r, colour, pixel))
                Put(surface, x + dx, y + dy, pixel);
}
