#pragma once
// The plan of the room, in twips (1/1440 inch) as it was drawn, for both
// front-ends. At 96 dots per inch 15 twips make one pixel; every figure here
// is a multiple of 15. Positions count from the top-left corner of the
// client area, under the menu bar.

#include "station.h"
#include "stationtile.h"

#include <array>

namespace layout {

inline constexpr int TwipsPerPixel = 15;

struct TwipRect {
    int left;
    int top;
    int width;
    int height;

    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }

    friend constexpr bool operator==(const TwipRect &, const TwipRect &) = default;
};

// Twips to pixels at `dpi` dots per inch (96: 15 twips a pixel), rounded to
// the nearest pixel.
constexpr int toPixels(int twips, int dpi = 96)
{
    const int scaled = twips * dpi;
    return scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440);
}

constexpr TwipRect toPixels(const TwipRect &r, int dpi = 96)
{
    return {toPixels(r.left, dpi), toPixels(r.top, dpi), toPixels(r.width, dpi), toPixels(r.height, dpi)};
}

// The client area that the plan fills: 545 x 500 pixels.
inline constexpr int PlanWidth = 8175;
inline constexpr int PlanHeight = 7500;

// Each station's button is the anchor of its tile. Four rows of three; the
// gap between the middle and right columns is wider than the other.
inline constexpr int LeftColumn = 720;
inline constexpr int MiddleColumn = 2760;
inline constexpr int RightColumn = 6120;
inline constexpr int TopRow = 120;
inline constexpr int SecondRow = 1920;
inline constexpr int ThirdRow = 3840;
inline constexpr int BottomRow = 5640;

struct Anchor {
    int left;
    int top;
};

// Station N's anchor at N - 1. The stations count from the bottom row up and
// from left to right, except the bottom row, which runs PC3002 PC3001 PC3003.
inline constexpr std::array<Anchor, room::StationCount> StationAnchors{{
    {MiddleColumn, BottomRow}, // PC3001
    {LeftColumn, BottomRow},   // PC3002
    {RightColumn, BottomRow},  // PC3003
    {LeftColumn, ThirdRow},    // PC3004
    {MiddleColumn, ThirdRow},  // PC3005
    {RightColumn, ThirdRow},   // PC3006
    {LeftColumn, SecondRow},   // PC3007
    {MiddleColumn, SecondRow}, // PC3008
    {RightColumn, SecondRow},  // PC3009
    {LeftColumn, TopRow},      // PC3010
    {MiddleColumn, TopRow},    // PC3011
    {RightColumn, TopRow},     // PC3012
}};

inline constexpr int ButtonWidth = 975;
inline constexpr int ButtonHeight = 1215;

// The tile's controls, placed from the anchor. The stop picture and the
// idle-time label start one pixel inside the button's right edge.
inline constexpr TwipRect StopPicture{960, 0, 480, 480};
// Image1 alone has always been a little smaller, its picture stretched to it.
inline constexpr TwipRect StationOneStopPicture{960, 0, 465, 465};
inline constexpr TwipRect SessionPicture{960, 0, 435, 435};
inline constexpr TwipRect UserPicture{-240, 1200, 315, 435};
inline constexpr TwipRect IdleMark{1680, 360, 375, 375};
inline constexpr TwipRect UserNameLabel{0, 1200, 1455, 255};
inline constexpr TwipRect SecondLineLabel{0, 1440, 1455, 255};
inline constexpr TwipRect IdleTimeLabel{960, 600, 975, 255};

// Keyboard order of the buttons, by station index: PC3005 first.
inline constexpr std::array<int, room::StationCount> TabOrder{5, 1, 2, 11, 12, 9, 8, 7, 6, 4, 3, 10};

constexpr TwipRect buttonRect(int index)
{
    const Anchor a = StationAnchors[std::size_t(index - 1)];
    return {a.left, a.top, ButtonWidth, ButtonHeight};
}

constexpr TwipRect tileElementRect(int index, room::TileElement element)
{
    using room::TileElement;
    const Anchor a = StationAnchors[std::size_t(index - 1)];
    TwipRect offset{};
    switch (element) {
    case TileElement::Image:
        offset = index == 1 ? StationOneStopPicture : StopPicture;
        break;
    case TileElement::ImageBis:
        offset = SessionPicture;
        break;
    case TileElement::ImageTer:
        offset = UserPicture;
        break;
    case TileElement::ImageQ:
        offset = IdleMark;
        break;
    case TileElement::Label:
        offset = UserNameLabel;
        break;
    case TileElement::LabelBis:
        offset = SecondLineLabel;
        break;
    case TileElement::LabelTer:
        offset = IdleTimeLabel;
        break;
    }
    return {a.left + offset.left, a.top + offset.top, offset.width, offset.height};
}

static_assert(toPixels(PlanWidth) == 545 && toPixels(PlanHeight) == 500);
static_assert(toPixels(PlanWidth, 144) == 818 && toPixels(PlanHeight, 144) == 750);
// The idle mark of the right-hand column ends exactly at the client area's right edge.
static_assert(tileElementRect(12, room::TileElement::ImageQ).right() == PlanWidth);
static_assert(tileElementRect(1, room::TileElement::LabelBis).bottom() <= PlanHeight);
static_assert(tileElementRect(10, room::TileElement::ImageTer).left >= 0);

} // namespace layout
