// Where the windows put their frames, lists and pictures for a given window size (window units, twips).
#pragma once

namespace zorvan {

// Where the main window puts its tab frame and picture for a window of `width` x `height`.
struct MainWindowLayout {
    double tabLeft, tabWidth, pictureLeft, pictureTop, pictureWidth, pictureHeight;
};
MainWindowLayout LayOutMainWindow(double width, double height, double tabTop, double tabHeight);

// Where the G-code window puts its listing, picture and foot frame for a window of `width` x `height`.
struct GCodeWindowLayout {
    double listWidth, pictureWidth, pictureLeft, frameTop, listHeight, pictureHeight;
};
GCodeWindowLayout LayOutGCodeWindow(double width, double height, double frameHeight);

}  // namespace zorvan
