#include "app/plan_painting.h"

#include <cmath>
#include <string>
#include <vector>

#include "base/text.h"
#include "document/numbers.h"
#include "plan/plan_captions.h"
#include "plan/plan_raster.h"
#include "plan/plan_scene.h"
#include "plan/plan_svg.h"
#include "platform/wide.h"

namespace {

// Above this many entries in view the captions would only cover one another.
constexpr size_t MostCaptions = 1500;
const COLORREF GridColour = RGB(0xd9, 0xdd, 0xe2);
const COLORREF AxisTextColour = RGB(0x6b, 0x75, 0x80);
const COLORREF SelectionColour = RGB(0xff, 0xa0, 0x00);

COLORREF ColourOf(const char* hex) {
    const uint32_t rgb = RasterColour(hex);
    return RGB((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
}

int Scaled(int pixels, UINT dpi) {
    return MulDiv(pixels, int(dpi), 96);
}

std::u16string Metres(double value) {
    std::string text = FormatFixed(value, value == std::floor(value) ? 0 : 1);
    return Utf8ToUtf16(text == "-0" ? "0" : text);
}

void ShowText(HDC dc, int x, int y, const std::u16string& text) {
    TextOutW(dc, x, y, W(text), int(text.size()));
}

void Grid(HDC dc, const RECT& area, const PlanView& v, double step, UINT dpi) {
    SelectObject(dc, GetStockObject(DC_PEN));
    SetDCPenColor(dc, GridColour);
    SetTextColor(dc, AxisTextColour);
    SetTextAlign(dc, TA_LEFT | TA_BOTTOM);
    const double firstX = std::ceil(v.MinX / step);
    const int linesX = int(std::floor(v.MaxX / step) - firstX);
    for (int i = 0; i <= linesX; ++i) {
        const double x = (firstX + i) * step;
        const int px = int(std::lround(v.X(x)));
        MoveToEx(dc, px, area.top, nullptr);
        LineTo(dc, px, area.bottom);
        ShowText(dc, px + Scaled(3, dpi), area.bottom - Scaled(2, dpi), Metres(x));
    }
    const double firstZ = std::ceil(v.MinZ / step);
    const int linesZ = int(std::floor(v.MaxZ / step) - firstZ);
    for (int i = 0; i <= linesZ; ++i) {
        const double z = (firstZ + i) * step;
        const int py = int(std::lround(v.Y(z)));
        MoveToEx(dc, area.left, py, nullptr);
        LineTo(dc, area.right, py);
        ShowText(dc, area.left + Scaled(3, dpi), py - Scaled(1, dpi), Metres(z));
    }
}

void ScaleBar(HDC dc, const RECT& area, const PlanView& v, double step, UINT dpi) {
    const int x = area.left + Scaled(12, dpi);
    const int y = area.bottom - Scaled(22, dpi);
    const int length = int(std::lround(step * v.Scale));
    HPEN pen = CreatePen(PS_SOLID, Scaled(2, dpi), RGB(0x22, 0x22, 0x22));
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x, y, nullptr);
    LineTo(dc, x + length, y);
    for (int end : {x, x + length}) {
        MoveToEx(dc, end, y - Scaled(5, dpi), nullptr);
        LineTo(dc, end, y + Scaled(5, dpi));
    }
    SelectObject(dc, old);
    DeleteObject(pen);
    SetTextColor(dc, RGB(0x22, 0x22, 0x22));
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    ShowText(dc, x + length + Scaled(8, dpi), y + Scaled(4, dpi), Metres(step) + u" m");
}

} // namespace

void PaintPlan(HDC dc, RasterSurface& pixels, const RECT& area, const Plan& plan,
               const PlanView& view, ListLine selected, UINT dpi) {
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    const double step = PlanGridStep(Scaled(60, dpi) / view.Scale);
    Grid(dc, area, view, step, dpi);

    const int r = Scaled(4, dpi), stroke = Scaled(16, dpi), width = Scaled(2, dpi);
    const std::vector<size_t> visible = VisiblePlanEntries(plan, view, stroke);
    std::vector<POINT> at(visible.size());
    GdiFlush(); // what the system drew is in the pixels before the marks go on top
    for (size_t k = 0; k < visible.size(); ++k) {
        const PlanEntry& e = plan.Entries[visible[k]];
        const uint32_t colour = RasterColour(PlanEntryColour(plan, e));
        const int x = int(std::lround(view.X(e.Position.x)));
        const int y = int(std::lround(view.Y(e.Position.z)));
        at[k] = {x, y};
        const int px = x - area.left, py = y - area.top;
        if (std::isfinite(e.Heading)) {
            const double radians = e.Heading * Pi / 180;
            RasterStroke(pixels, px, py, px + int(std::lround(std::sin(radians) * stroke)),
                         py - int(std::lround(std::cos(radians) * stroke)), width, colour);
        }
        RasterMark(pixels, e.Kind, px, py, r, colour);
    }

    if (selected.Array != EntryArray::None) {
        HPEN ring = CreatePen(PS_SOLID, Scaled(2, dpi), SelectionColour);
        SelectObject(dc, ring);
        SelectObject(dc, GetStockObject(NULL_BRUSH));
        const int around = Scaled(9, dpi);
        for (size_t k = 0; k < visible.size(); ++k)
            if (BroughtBy(plan.Entries[visible[k]], selected))
                Ellipse(dc, at[k].x - around, at[k].y - around, at[k].x + around + 1,
                        at[k].y + around + 1);
        SelectObject(dc, GetStockObject(DC_PEN));
        DeleteObject(ring);
    }

    if (visible.size() <= MostCaptions) {
        CaptionIndex captions = MakeCaptionIndex(area.left, area.top, area.right, area.bottom);
        for (const POINT& p : at)
            TakeCaptionBox(captions, {p.x - 6.0, p.y - 6.0, p.x + 6.0, p.y + 6.0});
        for (size_t k = 0; k < visible.size(); ++k) {
            const PlanEntry& e = plan.Entries[visible[k]];
            if (e.Caption.empty())
                continue;
            const CaptionPlace place =
                PlaceCaption(captions, at[k].x, at[k].y, CaptionCharacters(e.Caption));
            SetTextColor(dc, ColourOf(PlanEntryColour(plan, e)));
            SetTextAlign(dc, (place.AnchorEnd ? TA_RIGHT : TA_LEFT) | TA_BASELINE);
            ShowText(dc, int(std::lround(place.X)), int(std::lround(place.Y)), e.Caption);
        }
    }
    ScaleBar(dc, area, view, step, dpi);
}
