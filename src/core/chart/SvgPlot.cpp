#include "core/chart/SvgPlot.h"

#include <cmath>
#include <cstdio>

namespace vm {
namespace {

double Scale(double value, double low, double high, double from, double span) {
    if (!(high > low) || !std::isfinite(value)) return from;
    double share = (value - low) / (high - low);
    if (share < 0) share = 0;
    if (share > 1) share = 1;
    return from + share * span;
}

}  // namespace

double PlotArea::X(double value) const { return Scale(value, xMin, xMax, left, width); }

// The lowest value sits on the bottom edge.
double PlotArea::Y(double value) const { return Scale(value, yMin, yMax, top + height, -height); }

void AppendSvgNumber(std::string& out, double value) {
    if (!std::isfinite(value)) value = 0;
    const double tenths = std::round(value * 10);
    char text[32];
    if (std::fmod(tenths, 10) == 0) {
        std::snprintf(text, sizeof text, "%.0f", tenths / 10 == 0 ? 0.0 : tenths / 10);
    } else {
        std::snprintf(text, sizeof text, "%.1f", tenths / 10);
    }
    out += text;
}

std::string SvgLinePath(const PlotArea& area, const std::vector<PlotPoint>& points) {
    std::string path;
    path.reserve(points.size() * 14);
    for (size_t i = 0; i < points.size(); ++i) {
        path += i == 0 ? "M" : " L";
        AppendSvgNumber(path, area.X(points[i].x));
        path += ' ';
        AppendSvgNumber(path, area.Y(points[i].y));
    }
    return path;
}

}  // namespace vm
