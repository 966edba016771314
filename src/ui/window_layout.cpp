// Window layouts.
#include "ui/window_layout.h"

namespace zorvan {

MainWindowLayout LayOutMainWindow(double width, double height, double tabTop, double tabHeight) {
    MainWindowLayout layout{};
    layout.tabLeft = 100;
    layout.pictureLeft = 100;
    layout.tabWidth = width - 300;
    layout.pictureTop = tabTop + tabHeight + 100;
    layout.pictureHeight = height - tabHeight - 600;
    layout.pictureWidth = width - 300;
    return layout;
}

GCodeWindowLayout LayOutGCodeWindow(double width, double height, double frameHeight) {
    GCodeWindowLayout layout{};
    layout.listWidth = 0.4 * width - 100;
    layout.pictureWidth = width - layout.listWidth - 450;
    layout.pictureLeft = layout.listWidth + 250;
    layout.frameTop = height - frameHeight - 500;
    layout.listHeight = height - frameHeight - 700;
    layout.pictureHeight = layout.listHeight;
    return layout;
}

}  // namespace zorvan
