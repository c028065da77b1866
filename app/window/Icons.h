#pragma once

// The toolbar images of ImageList1, drawn in code: 24 × 24 pixels each.

#include <QIcon>
#include <QImage>
#include <QList>

enum NivaraImage : int {
    kImageNew = 0,
    kImageOpen = 1,
    kImageSave = 2, // also Save As
    kImagePrint = 3,
    kImageStart = 4, // polling off: pressing starts it
    kImageStop = 5,  // polling on: pressing stops it
    kImageCount = 6,
};

inline constexpr int kImageSize = 24;

// One image drawn at `size` pixels square (24 is the design size); a null
// image for an index outside 0..5. Needs no QGuiApplication.
QImage NivaraIconImage(int index, int size = kImageSize);

// The image as an icon with 24 and 48 pixel versions; a null icon outside
// 0..5. Needs a QGuiApplication.
QIcon NivaraIcon(int index);

// All six icons in ImageList1 order.
QList<QIcon> ImageList1();

// The program's own icon (a drop of milk and a test tube), the sizes the
// desktop theme installs, from the program's resources.
QIcon ApplicationIcon();
inline constexpr int kApplicationIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
