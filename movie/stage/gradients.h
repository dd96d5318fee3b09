// Grey gradients given by the greys they show rather than by their axis.
#pragma once

#include "shape.h"

#include <vector>

namespace zimo::movie::stage {

struct GreyStops {
    struct Stop {
        std::uint8_t position;
        std::uint8_t grey;
    };
    std::vector<Stop> stops;

    // Where along the axis the grey first appears, between two stops.
    double positionOf(std::uint8_t grey) const;
    std::vector<GradientStop> gradientStops() const;
};

// A linear gradient whose position is `atCentre` at `centre` and changes by `perPxRight` and
// `perPxDown` per pixel right and down.
FillStyle gradientFromRates(const GreyStops& stops, PointPx centre, double atCentre,
                            double perPxRight, double perPxDown);

} // namespace zimo::movie::stage
