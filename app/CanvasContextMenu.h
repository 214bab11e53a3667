// The canvas's context menu (right button): Cut, Copy, Paste, Duplicate, Delete and Change text
// for the figure under the pointer, each enabled only where it applies.
#pragma once

#include <QPoint>

#include <memory>

class CMainFrame;
class QMenu;

// Builds the menu for the client point of the canvas. A figure there that is not selected yet
// becomes the selection, so that the commands act on what the user clicked. Cut, Copy and Paste
// run the Edit menu's own commands and are enabled only while those are.
std::unique_ptr<QMenu> MakeCanvasContextMenu(CMainFrame& frame, QPoint client);
