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
// In the free strip under the table, right-aligned with it: the filter and,
// left of it, how many rows it lets through.
inline constexpr TwipRect FilterField{7815, 7995, 3000, 360};
inline constexpr TwipRect ShownCount{3615, 8040, 4050, 375};
inline constexpr TwipRect RefreshButton{11040, 600, 1095, 1335};
inline constexpr TwipRect CountLabel{480, 8040, 1935, 375};
// The traffic panes and their captions lie right of the table, partly past
// the client area; they are hidden at run time.
inline constexpr TwipRect RequestCaption{11520, 3720, 1695, 495};
inline constexpr TwipRect RequestPane{11280, 4320, 5775, 735};
inline constexpr TwipRect ReplyCaption{11400, 5280, 1695, 495};
inline constexpr TwipRect ReplyPane{11400, 5760, 5535, 1215};

// Smaller than this the count label and the filter would cover each other.
inline constexpr QSize MinimumClientArea{480, 300};

// Which window edges a control keeps its designed distance to as the window
// is resized. Left and right both: it grows with the width; right alone: it
// moves with the right edge. Likewise top and bottom.
struct Anchors
{
    bool left = true;
    bool top = true;
    bool right = false;
    bool bottom = false;
};

inline constexpr Anchors Stretched{true, true, true, true};
inline constexpr Anchors TopRight{false, true, true, false};
inline constexpr Anchors BottomLeft{true, false, false, true};
inline constexpr Anchors BottomRight{false, false, true, true};

// The rectangle of a control designed at rect for the client area, in a
// client area of the given size.
constexpr QRect anchored(QRect rect, Anchors anchors, QSize client)
{
    const int dx = client.width() - ClientArea.width();
    const int dy = client.height() - ClientArea.height();
    if (anchors.right) {
        if (anchors.left)
            rect.setWidth(rect.width() + dx);
        else
            rect.translate(dx, 0);
    }
    if (anchors.bottom) {
        if (anchors.top)
            rect.setHeight(rect.height() + dy);
        else
            rect.translate(0, dy);
    }
    return rect;
}

inline constexpr qreal GridPointSize = 9.0;
inline constexpr qreal CountLabelPointSize = 10.5;
inline constexpr qreal ShownCountPointSize = 8.0;

} // namespace WindowLayout
