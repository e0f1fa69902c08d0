// Where a picture of a board has ink: shared by the renderer's and the main
// window's tests.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>

// The bounding box of every pixel of `img` that is not the board's colour `board`.
inline QRect inkBox(const QImage& img, QColor board) {
    QRect box;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixelColor(x, y) != board) box |= QRect(x, y, 1, 1);
    return box;
}
