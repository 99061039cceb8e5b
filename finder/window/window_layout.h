#pragma once

#include <QRect>
#include <QSize>

// The window's stored layout in twips. At 96 dpi 15 twips make one pixel;
// Qt scales the resulting device-independent pixels on high-dpi screens.
namespace WindowLayout {

inline constexpr int TwipsPerPixel = 15;

struct TwipRect
{
    int left;
    int top;
    int width;
    int height;

    constexpr QRect toPixels() const
    {
        return {left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
                height / TwipsPerPixel};
    }
};

inline constexpr QSize ClientArea{12390 / TwipsPerPixel, 8415 / TwipsPerPixel};

inline constexpr TwipRect Grid{0, 0, 10815, 7935};
inline constexpr TwipRect RefreshButton{11040, 600, 1095, 1335};
inline constexpr TwipRect CountLabel{480, 8040, 1935, 375};
// The traffic panes and their captions lie right of the table, partly past
// the client area; they are hidden at run time.
inline constexpr TwipRect RequestCaption{11520, 3720, 1695, 495};
inline constexpr TwipRect RequestPane{11280, 4320, 5775, 735};
inline constexpr TwipRect ReplyCaption{11400, 5280, 1695, 495};
inline constexpr TwipRect ReplyPane{11400, 5760, 5535, 1215};

inline constexpr qreal GridPointSize = 9.0;
inline constexpr qreal CountLabelPointSize = 10.5;

} // namespace WindowLayout
