// Dialog units to pixels in the headless windows.
#pragma once

namespace headless {

// With the font the real window measured (about 2.0 x 2.125 pixels per unit).
inline int DluX(int x) {
    return x * 2;
}
inline int DluY(int y) {
    return (y * 17) / 8;
}

} // namespace headless
