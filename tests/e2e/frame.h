// A screenshot of the program's window, read in the coordinates of the movie's stage
// (the player area below the menu bar), with the measurements the trials make on it.
#pragma once

#include <QImage>
#include <QRect>

struct Frame {
    QImage image; // the whole client area, menu bar included
    int top = 0;  // height of the menu bar: where the stage begins

    bool valid() const { return !image.isNull(); }
    int width() const { return image.width(); }                     // stage width W
    int height() const { return image.height() - top; }             // stage height H
    QRgb at(int x, int y) const { return image.pixel(x, y + top); } // stage coordinates
    QRect stage() const { return QRect(0, 0, width(), height()); }
    // The stage above the control band, where only the picture shows.
    QRect pictureArea() const { return QRect(0, 0, width(), height() - ControlBand); }
    static constexpr int ControlBand = 28;
};

// Colour classes of single pixels.
bool IsBlack(QRgb c); // the stage's background around the picture
bool IsWhite(QRgb c);
bool IsPanelGrey(QRgb c); // the panel's light grey background, ~#F6F6F6..#CFCFCF
bool IsRed(QRgb c);       // the played bar and the lit volume bars

// How many pixels inside area of the stage differ by more than a little between two
// frames of the same size.
int DifferingPixels(const Frame& a, const Frame& b, const QRect& area);
// Part of the pixels on a row (or column) of the stage, between from and to, that are
// not black.
double LitPartOfRow(const Frame& f, int y, int from, int to);
double LitPartOfColumn(const Frame& f, int x, int from, int to);
// How many pixels inside area satisfy the colour class.
int CountPixels(const Frame& f, const QRect& area, bool (*is)(QRgb));

// Where the picture lies: its rectangle on the stage found from the black bars around
// it (rows and columns of which more than half is lit), looking only above the control
// band. Empty when the stage is all black.
QRect PictureRect(const Frame& f);
// The picture's rectangle the layout should give a picture of the width-to-height ratio
// on the stage of f: full height when the stage is wider, else full width, centred.
QRectF ExpectedPictureRect(const Frame& f, double ratio);
// True when found lies within tolerance pixels of expected on every side that is above
// the control band.
bool SameRect(const QRect& found, const QRectF& expected, double tolerance, int stageHeight);
