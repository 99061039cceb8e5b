#pragma once

#include <QRect>
#include <QSize>

// The window's stored layout in twips. At 96 dpi 15 twips make one pixel;
// Qt scales the resulting device-independent pixels on high-dpi screens.
namespace WindowLayout {

inline constexpr int TWIPS_PER_PIXEL = 15;

struct TwipRect
{
    int left;
    int top;
    int width;
    int height;

    constexpr QRect toPixels() const
    {
        return {left / TWIPS_PER_PIXEL, top / TWIPS_PER_PIXEL, width / TWIPS_PER_PIXEL,
                height / TWIPS_PER_PIXEL};
    }
};

inline constexpr QSize CLIENT_AREA{12390 / TWIPS_PER_PIXEL, 8415 / TWIPS_PER_PIXEL};

inline constexpr TwipRect MSFLEXGRID1{0, 0, 10815, 7935};
inline constexpr TwipRect CMD_REFRESH{11040, 600, 1095, 1335};
inline constexpr TwipRect T_FOUND_DEVICE{480, 8040, 1935, 375};
// The traffic panes and their captions lie right of the table, partly past
// the client area; they are hidden at run time.
inline constexpr TwipRect LABEL1{11520, 3720, 1695, 495};
inline constexpr TwipRect TEXT2{11280, 4320, 5775, 735};
inline constexpr TwipRect LABEL2{11400, 5280, 1695, 495};
inline constexpr TwipRect TEXT1{11400, 5760, 5535, 1215};

inline constexpr qreal GRID_POINT_SIZE = 9.0;
inline constexpr qreal COUNT_LABEL_POINT_SIZE = 10.5;

} // namespace WindowLayout
