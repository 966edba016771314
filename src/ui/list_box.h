// A list box as plain data: its rows and the selected row. The window shows it; the logic owns it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zorvan {

struct ListBox {
    std::vector<std::string> rows;
    int32_t selected = -1;  // -1 when no row is selected

    void Clear() {
        rows.clear();
        selected = -1;
    }
    void AddItem(std::string row) { rows.push_back(std::move(row)); }
    int32_t ListCount() const { return static_cast<int32_t>(rows.size()); }
};

}  // namespace zorvan
