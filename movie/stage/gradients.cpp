#include "gradients.h"

#include <cmath>
#include <stdexcept>

namespace zimo::movie::stage {

double GreyStops::positionOf(std::uint8_t grey) const {
    for (std::size_t i = 1; i < stops.size(); ++i) {
        const auto& a = stops[i - 1];
        const auto& b = stops[i];
        if (a.grey == b.grey || grey < std::min(a.grey, b.grey) || grey > std::max(a.grey, b.grey))
            continue;
        return a.position + double(grey - a.grey) / (b.grey - a.grey) * (b.position - a.position);
    }
    throw std::invalid_argument("grey not shown by the gradient");
}

std::vector<GradientStop> GreyStops::gradientStops() const {
    std::vector<GradientStop> out;
    for (const auto& s : stops)
        out.push_back({s.position, Rgba{s.grey, s.grey, s.grey, 255}});
    return out;
}

FillStyle gradientFromRates(const GreyStops& stops, PointPx centre, double atCentre,
                            double perPxRight, double perPxDown) {
    const double rate = std::hypot(perPxRight, perPxDown);
    if (rate == 0) throw std::invalid_argument("a gradient needs a slope");
    // Unit vector towards higher positions; position 0 lies atCentre / rate behind the centre.
    const double ux = perPxRight / rate, uy = perPxDown / rate;
    const PointPx from{centre.x - ux * atCentre / rate, centre.y - uy * atCentre / rate};
    const PointPx to{from.x + ux * 255 / rate, from.y + uy * 255 / rate};
    return FillStyle::linear(stops.gradientStops(), from, to);
}

} // namespace zimo::movie::stage
