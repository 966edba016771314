// The About window, shown modally whenever the main window closes; "Close" ends the program.
#pragma once

#include <string_view>

namespace zorvan {

struct Form5 {
    static constexpr std::string_view kCaption = "ABOUT";
    static constexpr std::string_view kWebAddress = "https://zorvan.example";
    static constexpr std::string_view kEmailLabel = "email";
    static constexpr std::string_view kEmailAddress = "support@zorvan.example";
    static constexpr std::string_view kCloseCaption = "Close";
};

}  // namespace zorvan
