#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace vm {

// A chart's drawing area in SVG user units (y grows downwards) and the value ranges it
// shows; values outside the ranges are clamped to the area's edges, so a stray point can
// never draw outside the chart.
struct PlotArea {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    double xMin = 0;
    double xMax = 1;
    double yMin = 0;
    double yMax = 1;

    double X(double value) const;
    double Y(double value) const;
};

struct PlotPoint {
    double x;
    double y;
};

// An SVG coordinate with at most one decimal ("12.5", "-3", "0").
void AppendSvgNumber(std::string& out, double value);

// The path data of a line through the points ("M x y L x y ..."); "" without points.
std::string SvgLinePath(const PlotArea& area, const std::vector<PlotPoint>& points);

}  // namespace vm
