// The command ids shared by menu entries, toolbar buttons and shortcuts, and the table that gives
// each command its menu text, status-bar prompt, shortcuts and toolbar image.
#pragma once

#include <span>

enum ECommand : int {
    ID_DRAW_LINE = 32771,
    ID_DRAW_DOTTED_LINE = 148,
    ID_DRAW_RECTANGLE = 139,
    ID_DRAW_RHOMB = 160,
    ID_DRAW_ELLIPSE = 140,
    ID_DRAW_BEZIER = 141,
    ID_DRAW_ARROW = 152,
    ID_TEST_ROTATE_RECTANGLE = 156,
    ID_TEST_ROTATE_ELLIPSE = 157,
    ID_TEST_CHANGE_TEXT = 158,
    ID_TEST_QUODRA_RECTANGLE = 161,
    ID_MODE_SELECT = 146,
    ID_MODE_ZOOM = 147,
    ID_SNAP_KEY_POINTS = 167,
    ID_SNAP_GRID = 168,
    ID_SNAP_INTERSECTIONS = 169,
    ID_VIEW_ACTUAL_SIZE = 145,
    ID_VIEW_FIT_PAGE = 144,
    ID_VIEW_FIT_WIDTH = 142,
    ID_VIEW_FIT_HEIGHT = 143,
    ID_VIEW_SHOW_GRID = 149,
    ID_VIEW_ZOOM_IN = 32800,
    ID_VIEW_ZOOM_OUT = 32801,
    ID_VIEW_MAIN_TOOLBAR = 175,
    ID_VIEW_ADDITIONAL_TOOLBAR = 176,
    ID_VIEW_STATUS_BAR = 59393,
    ID_EDIT_DUPLICATE = 172,
    ID_EDIT_CUT = 57635,
    ID_EDIT_DELETE = 57632, // removes the selected figures without touching the clipboard
    ID_EDIT_UNDO = 57643,
    ID_EDIT_REDO = 57644,
    ID_EDIT_SELECT_ALL = 57642,
    ID_EDIT_COPY = 57634,
    ID_EDIT_PASTE = 57637,
    ID_FILE_SAVE_TEXDRAW = 151,
    ID_FILE_SAVE_AS = 137,
    ID_FILE_MRU_FILE1 = 57616,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_FILE_SAVE = 57603,
    ID_FILE_PRINT = 57607,
    ID_APP_EXIT = 57665,
    ID_APP_ABOUT = 57664,
    // The typeset preview and the export through LaTeX.
    ID_VIEW_TYPESET_PREVIEW = 32810,
    ID_VIEW_LATEX_PREAMBLE = 32811,
    ID_FILE_EXPORT = 32812,
    ID_HELP_LATEX = 32813,
    // Line styles and the drawing's printed size.
    ID_VIEW_STYLE = 32830,
    ID_EDIT_COPY_STYLE = 32831,
    ID_EDIT_PASTE_STYLE = 32832,
    ID_FILE_DRAWING_PROPERTIES = 32833,
    // TeXDraw's own shapes.
    ID_DRAW_CIRCLE = 32820,
    ID_DRAW_AXIS_ELLIPSE = 32821,
    ID_DRAW_ARC = 32822,
    ID_DRAW_POLYLINE = 32823,
    ID_DRAW_LABEL = 32824,
    // The corner commands of the canvas's context menu.
    ID_EDIT_INSERT_CORNER = 32825,
    ID_EDIT_DELETE_CORNER = 32826,
    // Paths: their tool, and the piece commands of the context menu.
    ID_DRAW_PATH = 32834,
    ID_EDIT_MAKE_PIECE_CURVED = 32835,
    ID_EDIT_MAKE_PIECE_STRAIGHT = 32836,
};

enum class EToolbarImage { None, Main, Additional, Edit };

struct CCommandInfo {
    int nId;
    const char* pszMenuText;  // "\t" separates the shortcut text shown on the right
    const char* pszPrompt;    // status-bar text and tooltip; empty when there is none
    const char* pszShortcuts; // key sequences separated by "; ", empty for none
    EToolbarImage eStrip;
    int nImage; // index into the strip
    bool bCheckable;
    // The key that chooses the tool or mode while the canvas has the focus and no gesture is
    // under way ('\0' for none); the tooltip shows it.
    char cToolKey = '\0';
};

// Every command of the program, in no particular order.
std::span<const CCommandInfo> GetCommandTable();
// The entry for an id, or nullptr.
const CCommandInfo* FindCommand(int id);

// The menu bar: each menu's title and entries (0 = separator, -1 = the "Test mode" submenu).
struct CMenuInfo {
    const char* pszTitle;
    std::span<const int> items;
};
std::span<const CMenuInfo> GetMenuBar();
std::span<const int> GetTestModeMenu();

// The command of a tool key (a letter, upper case), or 0.
int FindToolKeyCommand(char key);
// Is the command one of the tools (modes and drawing tools), of which one at a time is active?
bool IsToolCommand(int id);

// Toolbar buttons in order, 0 = separator.
std::span<const int> GetMainToolbarButtons();
std::span<const int> GetAdditionalToolbarButtons();
