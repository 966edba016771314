// Part entries put in place for a test as the preparation leaves them: partList and partCount, and where a
// window's cutting-order list is given, its rows equal to them.
#pragma once

#include <initializer_list>
#include <string>

#include "model/program.h"
#include "ui/list_box.h"

namespace zorvan::testing {

inline void SetParts(Program& program, std::initializer_list<std::string> entries) {
    program.partCount = 0;
    for (const std::string& entry : entries) program.partList[static_cast<size_t>(program.partCount++)] = entry;
}

inline void SetParts(Program& program, ListBox& List2, std::initializer_list<std::string> entries) {
    SetParts(program, entries);
    List2.Clear();
    for (const std::string& entry : entries) List2.AddItem(entry);
}

}  // namespace zorvan::testing
