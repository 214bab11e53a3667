#include "app/Commands.h"

#include <array>

namespace {

using E = EToolbarImage;

// clang-format off
constexpr std::array<CCommandInfo, 61> kCommands{{
    {ID_DRAW_LINE, "Draw line", "Draw line (L): drag from one end to the other", "", E::Additional, 2, true, 'L'},
    {ID_DRAW_DOTTED_LINE, "Draw dotted line", "Draw dotted line (D): drag from one end to the other", "", E::Additional, 8, true, 'D'},
    {ID_DRAW_RECTANGLE, "Draw rectangle", "Draw rectangle (R): drag from one corner to the opposite one", "", E::Additional, 3, true, 'R'},
    {ID_DRAW_RHOMB, "Draw rhomb", "Draw rhomb (H): drag across the box it fills", "", E::Additional, 5, true, 'H'},
    {ID_DRAW_ELLIPSE, "Draw elllipse", "Draw ellipse (E): drag across the box it fills", "", E::Additional, 4, true, 'E'},
    {ID_DRAW_BEZIER, "Draw Bezier", "Draw bezier (B): drag from its start to its end, then move its control points", "", E::Additional, 6, true, 'B'},
    {ID_DRAW_ARROW, "Draw one-sided arrow", "Draw one-sided arrow (A): drag from its tail to its head", "", E::Additional, 7, true, 'A'},
    {ID_TEST_ROTATE_RECTANGLE, "Rotate rectangle", "", "", E::None, 0, false},
    {ID_TEST_ROTATE_ELLIPSE, "Rotate ellipse", "", "", E::None, 0, false},
    {ID_TEST_CHANGE_TEXT, "Change text", "", "", E::None, 0, false},
    {ID_TEST_QUODRA_RECTANGLE, "QuodraRectangle", "", "", E::None, 0, false},
    {ID_MODE_SELECT, "Select Figures", "Select figures (S)", "", E::Additional, 0, true, 'S'},
    {ID_MODE_ZOOM, "Zoom mode", "Manual zoom (Z)", "", E::Additional, 1, true, 'Z'},
    {ID_SNAP_KEY_POINTS, "Snap to key points", "Snap to key points", "", E::Main, 2, true},
    {ID_SNAP_GRID, "Snap to grid", "Snap to grid", "", E::Main, 3, true},
    {ID_SNAP_INTERSECTIONS, "Snap to line intersection", "Snap to intersection", "", E::Main, 4, true},
    {ID_VIEW_ACTUAL_SIZE, "Actual Size", "Actual size", "Ctrl+0", E::Main, 6, false},
    {ID_VIEW_FIT_PAGE, "Fit Page", "Fit page", "", E::Main, 7, false},
    {ID_VIEW_FIT_WIDTH, "Fit Width", "Fit width", "", E::Main, 8, false},
    {ID_VIEW_FIT_HEIGHT, "Fit Height", "Fit height", "", E::Main, 9, false},
    {ID_VIEW_SHOW_GRID, "ShowGrid", "Show/hide grid", "", E::Main, 5, true},
    {ID_VIEW_ZOOM_IN, "Zoom &In", "Zoom in", "Ctrl++; Ctrl+=", E::None, 0, false},
    {ID_VIEW_ZOOM_OUT, "Zoom &Out", "Zoom out", "Ctrl+-", E::None, 0, false},
    {ID_VIEW_MAIN_TOOLBAR, "Main toolbar", "", "", E::None, 0, true},
    {ID_VIEW_ADDITIONAL_TOOLBAR, "Additional toolbar", "", "", E::None, 0, true},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar", "", E::None, 0, true},
    {ID_EDIT_DUPLICATE, "Duplicate", "Duplicate figures", "", E::Main, 1, false},
    {ID_EDIT_CUT, "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard", "Ctrl+X; Shift+Del", E::None, 0, false},
    {ID_EDIT_DELETE, "Delete\tDel", "Erase the selection", "", E::None, 0, false},
    {ID_EDIT_UNDO, "&Undo\tCtrl+Z", "Undo the last action", "Ctrl+Z; Alt+Backspace", E::Edit, 0, false},
    {ID_EDIT_REDO, "&Redo\tCtrl+Y", "Redo the previously undone action", "Ctrl+Y; Ctrl+Shift+Z", E::Edit, 1, false},
    {ID_EDIT_SELECT_ALL, "Select &All\tCtrl+A", "Select the entire drawing", "Ctrl+A", E::None, 0, false},
    {ID_EDIT_COPY, "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard", "Ctrl+C; Ctrl+Ins", E::None, 0, false},
    {ID_EDIT_PASTE, "&Paste\tCtrl+V", "Insert Clipboard contents", "Ctrl+V; Shift+Ins", E::None, 0, false},
    {ID_FILE_SAVE_TEXDRAW, "Save As TeXDraw file", "Save as texdraw file", "", E::Main, 0, false},
    {ID_FILE_SAVE_AS, "Save As", "Save current document", "", E::None, 0, false},
    {ID_FILE_MRU_FILE1, "Recent File", "Open this document", "", E::None, 0, false},
    {ID_FILE_NEW, "&New", "Create a new document", "Ctrl+N", E::None, 0, false},
    {ID_FILE_OPEN, "&Open...\tCtrl+O", "Open an existing document", "Ctrl+O", E::None, 0, false},
    {ID_FILE_SAVE, "&Save\tCtrl+S", "Save the active document", "Ctrl+S", E::None, 0, false},
    {ID_FILE_PRINT, "&Print...", "Print the active document", "Ctrl+P", E::None, 0, false},
    {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents", "", E::None, 0, false},
    {ID_APP_ABOUT, "&About quodra_dv...", "About", "", E::Main, 10, false},
    {ID_VIEW_TYPESET_PREVIEW, "Typeset Preview\tF5", "Show or hide the drawing as LaTeX prints it", "F5", E::None, 0, true},
    {ID_VIEW_LATEX_PREAMBLE, "LaTeX Preamble...", "Packages and definitions that the texts use", "", E::None, 0, false},
    {ID_FILE_EXPORT, "&Export...", "Export the typeset drawing as PDF, PNG or SVG", "Ctrl+E", E::None, 0, false},
    {ID_HELP_LATEX, "Using Drawings in LaTeX...", "How to put a drawing into a LaTeX document", "", E::None, 0, false},
    {ID_VIEW_STYLE, "St&yle", "Show or hide the line style panel", "", E::None, 0, true},
    {ID_EDIT_COPY_STYLE, "Copy St&yle\tCtrl+Shift+C", "Copy the line style of the selected figure", "Ctrl+Shift+C", E::None, 0, false},
    {ID_EDIT_PASTE_STYLE, "Paste Sty&le\tCtrl+Shift+V", "Give the selected figures the copied line style", "Ctrl+Shift+V", E::None, 0, false},
    {ID_FILE_DRAWING_PROPERTIES, "Drawing &Properties...", "The drawing's unit scale and printed size", "", E::None, 0, false},
    {ID_DRAW_CIRCLE, "Draw circle", "Draw circle (C): drag from the centre out to the radius", "", E::None, 0, true, 'C'},
    {ID_DRAW_AXIS_ELLIPSE, "Draw ellipse from its centre", "Draw ellipse from its centre (O): drag from the centre to a corner of its box", "", E::None, 0, true, 'O'},
    {ID_DRAW_ARC, "Draw arc", "Draw arc (G): drag from the centre out to the radius, then drag its ends round", "", E::None, 0, true, 'G'},
    {ID_DRAW_POLYLINE, "Draw polyline or polygon", "Draw polyline (P): click each corner; double-click or press Enter to finish, click the first corner to close it", "", E::None, 0, true, 'P'},
    {ID_DRAW_LABEL, "Draw label", "Draw label (T): click where the text goes, then type it", "", E::None, 0, true, 'T'},
    {ID_EDIT_INSERT_CORNER, "Insert Corner", "Put a corner in the middle of the piece under the pointer", "", E::None, 0, false},
    {ID_EDIT_DELETE_CORNER, "Delete Corner", "Take away the corner under the pointer", "", E::None, 0, false},
    {ID_DRAW_PATH, "Draw path", "Draw path (K): click for a corner, drag for a smooth node; double-click or press Enter to finish, click the first node to close it", "", E::None, 0, true, 'K'},
    {ID_EDIT_MAKE_PIECE_CURVED, "Make Piece Curved", "Make the piece under the pointer a curve", "", E::None, 0, false},
    {ID_EDIT_MAKE_PIECE_STRAIGHT, "Make Piece Straight", "Make the piece under the pointer straight", "", E::None, 0, false},
}};

constexpr int kTestMode = -1;

constexpr std::array kFileMenu{int(ID_FILE_OPEN), int(ID_FILE_SAVE), int(ID_FILE_SAVE_AS), int(ID_FILE_SAVE_TEXDRAW), int(ID_FILE_EXPORT), int(ID_FILE_DRAWING_PROPERTIES), 0,
                               int(ID_FILE_MRU_FILE1), 0, int(ID_APP_EXIT)};
constexpr std::array kEditMenu{int(ID_EDIT_UNDO), int(ID_EDIT_REDO), 0, int(ID_EDIT_CUT), int(ID_EDIT_COPY), int(ID_EDIT_PASTE),
                               int(ID_EDIT_COPY_STYLE), int(ID_EDIT_PASTE_STYLE),
                               int(ID_EDIT_DELETE), int(ID_EDIT_DUPLICATE), 0, int(ID_EDIT_SELECT_ALL)};
constexpr std::array kDrawMenu{int(ID_DRAW_LINE), int(ID_DRAW_DOTTED_LINE), int(ID_DRAW_RECTANGLE), int(ID_DRAW_RHOMB),
                               int(ID_DRAW_ELLIPSE), int(ID_DRAW_BEZIER), int(ID_DRAW_ARROW), 0, int(ID_DRAW_CIRCLE),
                               int(ID_DRAW_AXIS_ELLIPSE), int(ID_DRAW_ARC), int(ID_DRAW_POLYLINE), int(ID_DRAW_PATH), int(ID_DRAW_LABEL), 0, kTestMode};
constexpr std::array kTestModeMenu{int(ID_TEST_ROTATE_RECTANGLE), int(ID_TEST_ROTATE_ELLIPSE), 0, int(ID_TEST_CHANGE_TEXT),
                                   int(ID_TEST_QUODRA_RECTANGLE)};
constexpr std::array kModeMenu{int(ID_MODE_SELECT), int(ID_MODE_ZOOM)};
constexpr std::array kSnapMenu{int(ID_SNAP_KEY_POINTS), int(ID_SNAP_GRID), int(ID_SNAP_INTERSECTIONS)};
constexpr std::array kViewMenu{int(ID_VIEW_ACTUAL_SIZE), int(ID_VIEW_FIT_PAGE), int(ID_VIEW_FIT_WIDTH), int(ID_VIEW_FIT_HEIGHT),
                               int(ID_VIEW_ZOOM_IN), int(ID_VIEW_ZOOM_OUT), 0, int(ID_VIEW_SHOW_GRID), 0,
                               int(ID_VIEW_TYPESET_PREVIEW), int(ID_VIEW_LATEX_PREAMBLE), int(ID_VIEW_STYLE), 0,
                               int(ID_VIEW_MAIN_TOOLBAR), int(ID_VIEW_ADDITIONAL_TOOLBAR), 0, int(ID_VIEW_STATUS_BAR)};
constexpr std::array kHelpMenu{int(ID_APP_ABOUT), int(ID_HELP_LATEX)};

const std::array<CMenuInfo, 7> kMenuBar{{
    {"&File", kFileMenu},
    {"&Edit", kEditMenu},
    {"Draw", kDrawMenu},
    {"Mode", kModeMenu},
    {"Snap", kSnapMenu},
    {"&View", kViewMenu},
    {"&Help", kHelpMenu},
}};

constexpr std::array kMainToolbar{int(ID_FILE_SAVE_TEXDRAW), 0, int(ID_EDIT_UNDO), int(ID_EDIT_REDO), 0, int(ID_EDIT_DUPLICATE), 0, int(ID_SNAP_KEY_POINTS),
                                  int(ID_SNAP_GRID), int(ID_SNAP_INTERSECTIONS), 0, int(ID_VIEW_SHOW_GRID), 0,
                                  int(ID_VIEW_ACTUAL_SIZE), int(ID_VIEW_FIT_PAGE), int(ID_VIEW_FIT_WIDTH),
                                  int(ID_VIEW_FIT_HEIGHT), 0, int(ID_VIEW_TYPESET_PREVIEW), 0, int(ID_APP_ABOUT)};
constexpr std::array kAdditionalToolbar{int(ID_MODE_SELECT), int(ID_MODE_ZOOM), 0, int(ID_DRAW_LINE), int(ID_DRAW_RECTANGLE),
                                        int(ID_DRAW_ELLIPSE), int(ID_DRAW_RHOMB), int(ID_DRAW_BEZIER), 0, int(ID_DRAW_ARROW),
                                        int(ID_DRAW_DOTTED_LINE), 0, int(ID_DRAW_CIRCLE), int(ID_DRAW_AXIS_ELLIPSE),
                                        int(ID_DRAW_ARC), int(ID_DRAW_POLYLINE), int(ID_DRAW_PATH), int(ID_DRAW_LABEL)};
// clang-format on

} // namespace

std::span<const CCommandInfo> GetCommandTable() {
    return kCommands;
}

const CCommandInfo* FindCommand(int id) {
    for (const CCommandInfo& c : kCommands)
        if (c.nId == id)
            return &c;
    return nullptr;
}

int FindToolKeyCommand(char key) {
    for (const CCommandInfo& c : kCommands)
        if (c.cToolKey != '\0' && c.cToolKey == key)
            return c.nId;
    return 0;
}

bool IsToolCommand(int id) {
    const CCommandInfo* c = FindCommand(id);
    return c && c->cToolKey != '\0';
}

std::span<const CMenuInfo> GetMenuBar() {
    return kMenuBar;
}
std::span<const int> GetTestModeMenu() {
    return kTestModeMenu;
}
std::span<const int> GetMainToolbarButtons() {
    return kMainToolbar;
}
std::span<const int> GetAdditionalToolbarButtons() {
    return kAdditionalToolbar;
}
