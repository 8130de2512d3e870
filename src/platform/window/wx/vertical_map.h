// Stretches a template's rows where a toolkit control needs more height than its rectangle,
// keeping the arrangement: every y coordinate moves by a monotone, piecewise linear map, so
// controls side by side stay side by side and the window grows as little as needed.
#pragma once

#include <vector>

namespace wxwin {

class VerticalMap {
public:
    // `edges`: every top and bottom of the layout in pixels (0 and the full height included).
    explicit VerticalMap(std::vector<int> edges);

    // Makes the span [top, bottom] at least `height` pixels tall by stretching it evenly.
    void Require(int top, int bottom, int height);
    // Where template coordinate y lies after stretching.
    int Map(int y) const;

private:
    std::vector<int> m_edges;      // sorted, unique
    std::vector<double> m_lengths; // stretched length of each segment between edges
};

} // namespace wxwin
