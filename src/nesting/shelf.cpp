// Bounding-box shelf packing.
#include "nesting/shelf.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace zorvan {

namespace {

struct BoxSize {
    double width = 0, height = 0, area = 0;
};

// The narrowest box of the item's orientations that fits `height` with the spacing, spacing included.
std::optional<BoxSize> NarrowestBox(const NestItem& item, double height, double spacing) {
    std::optional<BoxSize> best;
    for (const double angle : item.angles.empty() ? std::vector<double>{0} : item.angles) {
        double left = 0, right = 0, bottom = 0, top = 0;
        bool first = true;
        for (const Point2& p : item.shape.outline) {
            const Point2 q = OrientPoint(p, angle, false);
            left = first ? q.x : std::min(left, q.x), right = first ? q.x : std::max(right, q.x);
            bottom = first ? q.y : std::min(bottom, q.y), top = first ? q.y : std::max(top, q.y);
            first = false;
        }
        const BoxSize box{right - left + spacing, top - bottom + spacing, ShapeArea(item.shape)};
        if (box.height + spacing > height) continue;
        if (!best || box.width < best->width) best = box;
    }
    return best;
}

}  // namespace

ShelfNest ShelfPack(const NestJob& job) {
    std::vector<BoxSize> boxes;
    for (const NestItem& item : job.items) {
        const std::optional<BoxSize> box = NarrowestBox(item, job.sheetHeight, job.spacing);
        if (!box) continue;
        boxes.insert(boxes.end(), static_cast<size_t>(std::max(item.copies, 0)), *box);
    }
    std::stable_sort(boxes.begin(), boxes.end(), [](const BoxSize& a, const BoxSize& b) { return a.width > b.width; });
    struct Column {
        double width, filled;
    };
    std::vector<Column> columns;
    ShelfNest nest;
    double area = 0;
    for (const BoxSize& box : boxes) {
        const auto room = std::find_if(columns.begin(), columns.end(), [&](const Column& column) {
            return column.filled + box.height <= job.sheetHeight;
        });
        if (room != columns.end()) {
            room->filled += box.height;
        } else {
            columns.push_back({box.width, job.spacing + box.height});
        }
        area += box.area;
        ++nest.placed;
    }
    nest.length = job.spacing;
    for (const Column& column : columns) nest.length += column.width;
    nest.utilisation = nest.length > 0 && !columns.empty() ? area / (job.sheetHeight * nest.length) : 0;
    return nest;
}

}  // namespace zorvan
