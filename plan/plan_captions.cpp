#include "plan/plan_captions.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double CellSize = 16; // pixels, about a mark and its stroke

int64_t CellOf(double pixel) {
    // Far beyond any picture; keeps the conversion defined.
    return int64_t(std::clamp(std::floor(pixel / CellSize), -1e9, 1e9));
}

struct CellRange {
    int64_t FirstColumn, LastColumn, FirstRow, LastRow;
};

CellRange CellsOf(const CaptionIndex& index, const CaptionBox& box) {
    auto column = [&](double x) {
        return std::clamp(CellOf(x), index.FirstColumn, index.FirstColumn + index.Columns - 1);
    };
    auto row = [&](double y) {
        return std::clamp(CellOf(y), index.FirstRow, index.FirstRow + index.Rows - 1);
    };
    return {column(box.Left), column(box.Right), row(box.Top), row(box.Bottom)};
}

// The edges of a cell; those at the grid's edges lie at infinity.
CaptionBox CellBox(const CaptionIndex& index, int64_t column, int64_t row) {
    constexpr double far = HUGE_VAL;
    return {column == index.FirstColumn ? -far : double(column) * CellSize,
            row == index.FirstRow ? -far : double(row) * CellSize,
            column == index.FirstColumn + index.Columns - 1 ? far : double(column + 1) * CellSize,
            row == index.FirstRow + index.Rows - 1 ? far : double(row + 1) * CellSize};
}

// The part of box within the cell; false when it has no area there.
bool Clip(const CaptionBox& box, const CaptionBox& cell, CaptionBox& part) {
    part = {std::max(box.Left, cell.Left), std::max(box.Top, cell.Top),
            std::min(box.Right, cell.Right), std::min(box.Bottom, cell.Bottom)};
    return part.Left < part.Right && part.Top < part.Bottom;
}

bool Covers(const CaptionBox& outer, const CaptionBox& inner) {
    return outer.Left <= inner.Left && inner.Right <= outer.Right && outer.Top <= inner.Top &&
           inner.Bottom <= outer.Bottom;
}

size_t CellAt(const CaptionIndex& index, int64_t column, int64_t row) {
    return size_t((row - index.FirstRow) * index.Columns + column - index.FirstColumn);
}

} // namespace

CaptionIndex MakeCaptionIndex(double left, double top, double right, double bottom) {
    CaptionIndex index;
    index.FirstColumn = CellOf(left);
    index.FirstRow = CellOf(top);
    index.Columns = std::max<int64_t>(CellOf(right) - index.FirstColumn + 1, 1);
    index.Rows = std::max<int64_t>(CellOf(bottom) - index.FirstRow + 1, 1);
    index.Cells.resize(size_t(index.Columns * index.Rows));
    return index;
}

void TakeCaptionBox(CaptionIndex& index, const CaptionBox& box) {
    const CellRange range = CellsOf(index, box);
    for (int64_t row = range.FirstRow; row <= range.LastRow; ++row) {
        for (int64_t column = range.FirstColumn; column <= range.LastColumn; ++column) {
            const CaptionBox cellBox = CellBox(index, column, row);
            CaptionBox part, otherPart;
            if (!Clip(box, cellBox, part))
                continue;
            auto& cell = index.Cells[CellAt(index, column, row)];
            bool covered = false;
            for (const CaptionBox& other : cell)
                if (Clip(other, cellBox, otherPart) && Covers(otherPart, part)) {
                    covered = true;
                    break;
                }
            if (covered)
                continue;
            cell.erase(std::remove_if(cell.begin(), cell.end(),
                                      [&](const CaptionBox& other) {
                                          return Clip(other, cellBox, otherPart) &&
                                                 Covers(part, otherPart);
                                      }),
                       cell.end());
            cell.push_back(box);
        }
    }
}

bool CaptionBoxFree(const CaptionIndex& index, const CaptionBox& box) {
    const CellRange range = CellsOf(index, box);
    for (int64_t row = range.FirstRow; row <= range.LastRow; ++row)
        for (int64_t column = range.FirstColumn; column <= range.LastColumn; ++column)
            for (const CaptionBox& other : index.Cells[CellAt(index, column, row)])
                if (box.Overlaps(other))
                    return false;
    return true;
}

std::array<CaptionCandidate, 32> CaptionCandidates(double x, double y, size_t characters) {
    const double width = 7.0 * double(characters) + 4;
    const double height = 13;
    std::array<CaptionCandidate, 32> candidates;
    for (int ring = 0; ring < 8; ++ring) {
        const double rise = 14.0 * ring;
        const CaptionPlace tries[] = {{x + 8, y - 7 - rise, false},
                                      {x + 8, y + 16 + rise, false},
                                      {x - 8, y - 7 - rise, true},
                                      {x - 8, y + 16 + rise, true}};
        for (int i = 0; i < 4; ++i) {
            const CaptionPlace& t = tries[i];
            const double left = t.AnchorEnd ? t.X - width : t.X;
            candidates[size_t(ring * 4 + i)] = {t,
                                                {left, t.Y - 10, left + width, t.Y - 10 + height}};
        }
    }
    return candidates;
}

size_t CaptionCharacters(const std::u16string& text) {
    size_t count = 0;
    for (char16_t c : text)
        if (c < 0xDC00 || c > 0xDFFF)
            ++count;
    return count;
}

CaptionPlace PlaceCaption(CaptionIndex& index, double x, double y, size_t characters) {
    const auto candidates = CaptionCandidates(x, y, characters);
    for (const CaptionCandidate& c : candidates)
        if (CaptionBoxFree(index, c.Box)) {
            TakeCaptionBox(index, c.Box);
            return c.Place;
        }
    return candidates[0].Place;
}
