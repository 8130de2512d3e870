#include "platform/window/wx/vertical_map.h"

#include <algorithm>
#include <cmath>

namespace wxwin {

VerticalMap::VerticalMap(std::vector<int> edges) : m_edges(std::move(edges)) {
    std::sort(m_edges.begin(), m_edges.end());
    m_edges.erase(std::unique(m_edges.begin(), m_edges.end()), m_edges.end());
    for (std::size_t i = 0; i + 1 < m_edges.size(); ++i) {
        m_lengths.push_back(m_edges[i + 1] - m_edges[i]);
    }
}

void VerticalMap::Require(int top, int bottom, int height) {
    if (bottom <= top) {
        return;
    }
    const int mapped = Map(bottom) - Map(top);
    if (mapped >= height) {
        return;
    }
    double inside = 0;
    for (std::size_t i = 0; i < m_lengths.size(); ++i) {
        if (m_edges[i] >= top && m_edges[i + 1] <= bottom) {
            inside += m_lengths[i];
        }
    }
    if (inside <= 0) {
        return;
    }
    // Half a pixel more, so that rounding never leaves the span one pixel short.
    const double factor = (inside + (height - mapped) + 0.5) / inside;
    for (std::size_t i = 0; i < m_lengths.size(); ++i) {
        if (m_edges[i] >= top && m_edges[i + 1] <= bottom) {
            m_lengths[i] *= factor;
        }
    }
}

int VerticalMap::Map(int y) const {
    if (m_edges.empty()) {
        return y;
    }
    if (y <= m_edges.front()) {
        return y;
    }
    double position = m_edges.front();
    for (std::size_t i = 0; i < m_lengths.size(); ++i) {
        if (y <= m_edges[i + 1]) {
            const double span = m_edges[i + 1] - m_edges[i];
            return static_cast<int>(std::lround(position + m_lengths[i] * (y - m_edges[i]) / span));
        }
        position += m_lengths[i];
    }
    return static_cast<int>(std::lround(position)) + (y - m_edges.back());
}

} // namespace wxwin
