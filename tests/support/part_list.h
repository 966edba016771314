// Part entries put in place for a test as the preparation leaves them: partList and List2 equal row for row.
#pragma once

#include <initializer_list>
#include <string>

#include "model/list_box.h"
#include "model/program.h"

namespace zorvan::testing {

inline void SetParts(Program& program, ListBox& List2, std::initializer_list<std::string> entries) {
    List2.Clear();
    for (const std::string& entry : entries) {
        program.partList[static_cast<size_t>(List2.ListCount())] = entry;
        List2.AddItem(entry);
    }
}

}  // namespace zorvan::testing
