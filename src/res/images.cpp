#include "res/images.h"

#include "res/resource_ids.h"

namespace res {
namespace {

struct XpmEntry {
    int id;
    const char* const* lines;
};

#include "res/images/xpm_data.inc"

} // namespace

const char* const* FindXpm(int id) {
    for (const auto& entry : kXpmTable) {
        if (entry.id == id) {
            return entry.lines;
        }
    }
    return nullptr;
}

bool CursorHotSpot(int id, int& x, int& y) {
    if (id == kCursorNoDrop) {
        x = 15;
        y = 15;
        return true;
    }
    if (id == kCursorDrop) {
        x = 1;
        y = 1;
        return true;
    }
    return false;
}

} // namespace res
