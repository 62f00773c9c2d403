// Where the captions of a plan go: beside their marks, clear of every mark and of the
// captions placed before them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Pixels; a box covers what lies strictly between its edges.
struct CaptionBox {
    double Left, Top, Right, Bottom;
    bool Overlaps(const CaptionBox& o) const {
        return Left < o.Right && o.Left < Right && Top < o.Bottom && o.Top < Bottom;
    }
};

struct CaptionPlace {
    double X = 0, Y = 0;
    bool AnchorEnd = false;
};

// The boxes taken so far, in a uniform grid: a box is kept in every cell it reaches, unless
// another box of the cell already covers all of it that lies in the cell; one that covers
// more replaces those it covers. A query then meets only boxes near it, and a crowded spot
// holds few boxes per cell, while the answer stays exactly whether any box taken overlaps.
// The cells at the grid's edges reach on without end, so a long caption costs no more
// cells than the area it was made for.
struct CaptionIndex {
    std::vector<std::vector<CaptionBox>> Cells; // Columns × Rows, row by row
    int64_t FirstColumn = 0, FirstRow = 0, Columns = 1, Rows = 1;
};

// An empty index with its cells over the area of pixels from (left, top) to (right, bottom).
CaptionIndex MakeCaptionIndex(double left, double top, double right, double bottom);

void TakeCaptionBox(CaptionIndex& index, const CaptionBox& box);
bool CaptionBoxFree(const CaptionIndex& index, const CaptionBox& box);

struct CaptionCandidate {
    CaptionPlace Place;
    CaptionBox Box; // what the caption covers there
};

// The places beside the mark at (x, y) for a caption of `characters` characters, in the
// order they are tried: right above, right below, left above, left below, then the same
// stacked further out, ring by ring.
std::array<CaptionCandidate, 32> CaptionCandidates(double x, double y, size_t characters);

// The characters a caption shows: a surrogate pair is one.
size_t CaptionCharacters(const std::u16string& text);

// Beside the mark at (x, y): on the first side where the caption of `characters` characters
// covers nothing taken, else stacked further out; the box is then taken. Where every place
// is covered, the first one, taking nothing.
CaptionPlace PlaceCaption(CaptionIndex& index, double x, double y, size_t characters);
