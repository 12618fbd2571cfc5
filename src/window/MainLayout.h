#pragma once
// The main window's resize rules, without a window: the sizes and places the
// window computes from its outer size, in twips. A size that comes out
// negative is refused and the control keeps its old one; the other rules
// still run.
#include <array>

namespace layout {

struct Box {
    double left = 0, top = 0, width = 0, height = 0;
};

// The controls and splitter panes the rules read and write.
struct MainWindowLayout {
    Box ImagList1, Splitter1, TabStrip1;
    Box Splitter1Pane2, Splitter1Pane4;
    Box Splitter2, Splitter2Pane0, Splitter3, Splitter4;
    Box Frame1, Frame2, Frame3, Frame6;
    Box MedPosition, VidContBtn;
    Box Text1, TreeView3, WebBrowser1, WebBrowser2;
    Box TreeView2, MusPosition, MusVolPos, CHKMUSICLOOP, MMControl1;
    // MusPlayBtn, MusPauseBtn, MusStopBtn, MusFrstBtn, MusLastBtn, MusBCutBtn,
    // MusECutBtn, MusDeleteBtn, MusMuteBtn.
    std::array<Box, 9> MusButtons;
};

inline constexpr const char* kMusicButtonNames[9] = {"MusPlayBtn", "MusPauseBtn", "MusStopBtn",
                                                     "MusFrstBtn", "MusLastBtn",  "MusBCutBtn",
                                                     "MusECutBtn", "MusDeleteBtn", "MusMuteBtn"};

// Lays the controls out for a window of the given outer size. Nothing changes
// while the window is minimized (then false).
bool layoutMainWindow(bool minimized, double windowHeight, double windowWidth, MainWindowLayout& l);

} // namespace layout
