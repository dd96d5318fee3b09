// The panel's strip, the seek groove, its press area, the played bar and the seek knob.
#include "stage.h"

#include "gradients.h"

namespace zimo::movie::stage {

namespace {
constexpr std::uint16_t kOnePixel = 20; // twips
}

Shape panelBackground() {
    Shape s;
    const int fill = s.addFill(FillStyle::linear({{0, rgb(0xCFCFCF)}, {255, rgb(0xFCFCFC)}},
                                                 {212.95, 24.4}, {212.95, 0.6}));
    const int outline = s.addLine({kOnePixel, rgb(0xB1B1B1)});
    s.rectangle(0, 0, 425.9, 25, fill, outline);
    return s;
}

Shape seekGroove() {
    Shape s;
    // Darker at the top, so it reads as recessed.
    const int fill = s.addFill(
        FillStyle::linear({{0, rgb(0xCACACA)}, {255, rgb(0xB1B1B1)}}, {74.85, 8.9}, {74.85, 0}));
    // Square-ended lines that keep their width however far the groove is stretched across.
    const int dark = s.addLine({kOnePixel, rgb(0xB1B1B1), true, true});
    const int light = s.addLine({kOnePixel, rgb(0xEAEAEA), true, true});
    s.rectangle(0.55, 0.15, 149.2, 8.7, fill);
    s.line({0.3, 0.4}, {0.3, 8.35}, dark);        // left edge
    s.line({149.45, 1.3}, {149.45, 8.25}, light); // right edge
    s.line({1.3, 9.2}, {149.4, 9.2}, light);      // bottom edge
    // The groove's box, which the layout's widths are measured against, reaches 0.65 px past
    // the lines' centres on every side, a little more than their half width.
    s.setBounds({twips(-0.35), twips(150.10), twips(-0.25), twips(9.85)});
    return s;
}

Shape seekPressArea() {
    Shape s;
    s.rectangle(0, 0, 1, 1, s.addFill(FillStyle::solid(rgb(0xE5E5E5))));
    return s;
}

Shape playedBar() {
    Shape s;
    const int fill = s.addFill(
        FillStyle::linear({{0, rgb(0xCF1A1A)}, {255, rgb(0xFF3333)}}, {42.5, 9.46}, {42.5, 0.64}));
    s.rectangle(0, 0.7, 85, 6.7, fill);
    return s;
}

// Three discs, each over the one before: a rim lit from the upper left, a hollow shaded the
// other way, and a dark dot in its middle. Each disc's fill is set from the greys it shows at
// its centre and edges.
Shape sliderKnob() {
    Shape s;

    const GreyStops outerStops{{{24, 0x00}, {222, 0xFF}, {255, 0xFF}}};
    const PointPx outerCentre{0.44, -0.29};
    const double outerRadius = 15.43 / 2;
    const double outerAtCentre = outerStops.positionOf(0xB8);
    // #CBCBCB at the left edge, #A5A5A5 at the right, #404040 at the bottom: about 9 degrees
    // off the vertical.
    const double outerPerPxRight =
        (outerStops.positionOf(0xA5) - outerStops.positionOf(0xCB)) / (2 * outerRadius);
    const double outerPerPxDown = (outerStops.positionOf(0x40) - outerAtCentre) / outerRadius;
    const int outer = s.addFill(
        gradientFromRates(outerStops, outerCentre, outerAtCentre, outerPerPxRight, outerPerPxDown));

    const GreyStops innerStops{{{0, 0x00}, {255, 0xFF}}};
    const PointPx innerCentre{0.44, -0.32};
    const double innerRadius = 12.76 / 2;
    const int inner = s.addFill(gradientFromRates(
        innerStops, innerCentre, innerStops.positionOf(0x94), 0,
        (innerStops.positionOf(0xC7) - innerStops.positionOf(0x61)) / (2 * innerRadius)));

    // The dot: #BCBCBC at its top, #333333 (the first stop) from its bottom up, and lit from
    // the same side as the rim.
    const GreyStops dotStops{{{109, 0x33}, {229, 0xCC}, {255, 0x66}}};
    const PointPx dotCentre{0.44, -0.02};
    const double dotRadius = 6.0 / 2;
    const double dotTop = dotStops.positionOf(0xBC), dotBottom = 109;
    const double dotPerPxDown = (dotBottom - dotTop) / (2 * dotRadius);
    const int dot =
        s.addFill(gradientFromRates(dotStops, dotCentre, (dotTop + dotBottom) / 2,
                                    dotPerPxDown * outerPerPxRight / outerPerPxDown, dotPerPxDown));
    const int dotOutline = s.addLine({kOnePixel, rgb(0x333333)});

    s.circle(toTwips(outerCentre), twips(outerRadius), outer);
    s.circle(toTwips(innerCentre), twips(innerRadius), inner, 0, outer);
    s.circle(toTwips(dotCentre), twips(dotRadius), dot, dotOutline, inner);
    return s;
}

} // namespace zimo::movie::stage
