// The volume indicator's parts and the play/pause control's face and symbols.
#include "stage.h"

namespace zimo::movie::stage {

namespace {

constexpr std::uint16_t kOnePixel = 20; // twips

// The symbols' shading: solid #333333 up to position 109, brightening to #CCCCCC at 229,
// then darkening to #666666.
std::vector<GradientStop> symbolStops() {
    return {{109, rgb(0x333333)}, {229, rgb(0xCCCCCC)}, {255, rgb(0x666666)}};
}

} // namespace

Shape volumeHitArea() {
    Shape s;
    s.rectangle(-5, -8, 30, 8, s.addFill(FillStyle::solid({0x01, 0x01, 0x01, 0})));
    return s;
}

Shape volumeMask() {
    Shape s;
    const int fill = s.addFill(FillStyle::solid(rgb(0x000000)));
    // The speaker: its box, and the cone widening to the right.
    s.rectangle(0, -2.5, 2, 2.4, fill);
    s.polygon({{2.95, -3.05}, {6.05, -5.5}, {6.05, 5.4}, {2.95, 3.0}}, fill);
    // Nine bars, growing in height from left to right.
    struct Bar {
        double x0, x1, y0, y1;
    };
    const Bar bars[] = {
        {7.25, 8.35, -0.55, 0.85},   {9.45, 10.50, -1.25, 1.55},  {11.60, 12.70, -1.90, 2.25},
        {13.80, 14.90, -2.60, 2.95}, {16.00, 17.10, -3.30, 3.65}, {18.20, 19.30, -4.00, 4.35},
        {20.40, 21.50, -4.75, 5.00}, {22.60, 23.70, -5.40, 5.70}, {24.75, 25.85, -6.10, 6.40},
    };
    for (const auto& b : bars)
        s.rectangle(b.x0, b.y0, b.x1, b.y1, fill);
    return s;
}

Shape volumeLevelBlocks() {
    Shape s;
    // Red left of the registration point, dark grey right of it.
    s.rectangle(-47.2, -7.9, 0.15, 7.8, s.addFill(FillStyle::solid(rgb(0xFF2B2B))));
    s.rectangle(0.15, -7.85, 45, 8.15, s.addFill(FillStyle::solid(rgb(0x6A6A6A))));
    // The declared box reaches a little past the blocks, as the indicator's box is measured
    // with it (-5..104.84 x -10.20..10.30 in the indicator's units).
    s.setBounds({twips(-47.2), twips(45.05), twips(-8.10), twips(8.30)});
    return s;
}

Shape buttonFace() {
    Shape s;
    const int fill = s.addFill(
        FillStyle::linear({{0, rgb(0xCFCFCF)}, {255, rgb(0xFCFCFC)}}, {14.05, 24.9}, {14.05, 1.1}));
    const int outline = s.addLine({kOnePixel, rgb(0xB1B1B1)});
    s.rectangle(0.15, 0.5, 28, 25.5, fill, outline);
    return s;
}

Shape pauseIcon() {
    Shape s;
    // Solid #333333 from y 8.45 down, #B8B8B8 at the top edge.
    const int fill = s.addFill(FillStyle::linear(symbolStops(), {6.95, 17.26}, {6.95, -3.36}));
    const int outline = s.addLine({kOnePixel, rgb(0x333333)});
    s.rectangle(0, 0, 5, 12, fill, outline);
    s.rectangle(8.9, 0, 13.9, 12, fill, outline);
    return s;
}

Shape playIcon() {
    Shape s;
    // Solid #333333 from y 10.57 down, #B8B8B8 at the top corner.
    const int fill = s.addFill(FillStyle::linear(symbolStops(), {7, 21.59}, {7, -4.19}));
    const int outline = s.addLine({kOnePixel, rgb(0x333333)});
    s.polygon({{0, 0}, {14, 7.5}, {0, 15}}, fill, outline);
    return s;
}

} // namespace zimo::movie::stage
