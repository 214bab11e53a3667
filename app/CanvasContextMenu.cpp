#include "app/CanvasContextMenu.h"

#include "app/CanvasWidget.h"
#include "app/Commands.h"
#include "app/MainFrame.h"
#include "app/QuodraView.h"
#include "figures/Polyline.h"
#include "figures/TextFigures.h"

#include <QAction>
#include <QMenu>

namespace {

// An entry that runs one of the window's Edit commands, showing its first shortcut.
void AddEditCommand(QMenu& menu, const QString& text, QAction* command, bool applies) {
    QString label = text;
    if (command && !command->shortcut().isEmpty())
        label += "\t" + command->shortcut().toString(QKeySequence::NativeText);
    QAction* entry = menu.addAction(label);
    entry->setEnabled(command && command->isEnabled() && applies);
    if (command)
        QObject::connect(entry, &QAction::triggered, command, &QAction::trigger);
}

} // namespace

std::unique_ptr<QMenu> MakeCanvasContextMenu(CMainFrame& frame, QPoint client) {
    Cquodra_dvView* view = frame.GetView();
    CCanvasWidget* widget = view->GetCanvasWidget();
    CQuodra& canvas = view->GetCanvas();
    const CPoint at{client.x(), client.y()};
    const CPoint page = canvas.AreaToPage(canvas.ClientToArea(at));
    const CFigure* figure = canvas.GetFigures().HitTest(page.x, page.y, canvas.GetZoom());
    if (figure)
        canvas.SelectFigure(figure);
    // The Edit commands follow the selection just made.
    frame.UpdateCommandUI();
    const bool hit = figure != nullptr;
    const bool hasText = figure && GetFigureTextOf(*figure) != nullptr;

    auto menu = std::make_unique<QMenu>(widget);
    AddEditCommand(*menu, "Cu&t", frame.GetAction(ID_EDIT_CUT), hit);
    AddEditCommand(*menu, "&Copy", frame.GetAction(ID_EDIT_COPY), hit);
    AddEditCommand(*menu, "&Paste", frame.GetAction(ID_EDIT_PASTE), true);
    menu->addSeparator();
    // Duplicate and Delete are the Edit menu's commands too (so that undo records them the same
    // way); they apply to any figure under the pointer.
    AddEditCommand(*menu, "D&uplicate", frame.GetAction(ID_EDIT_DUPLICATE), hit);
    AddEditCommand(*menu, "&Delete\tDel", frame.GetAction(ID_EDIT_DELETE), hit);
    menu->addSeparator();
    // The text is edited as a double-click on the figure edits it: the current text is shown
    // and a confirmed one replaces it.
    QAction* text = menu->addAction("Change te&xt...");
    text->setEnabled(hasText);
    QObject::connect(text, &QAction::triggered, view,
                     [view, at] { view->GetCanvas().OnLButtonDblClk(at); });
    // A polyline's or a polygon's corners, at the point the menu was opened on.
    if (dynamic_cast<const CPolyline*>(figure)) {
        menu->addSeparator();
        QAction* insert = menu->addAction("&Insert Corner");
        insert->setStatusTip(QString::fromUtf8(FindCommand(ID_EDIT_INSERT_CORNER)->pszPrompt));
        insert->setEnabled(canvas.GetCornerEdits().CanInsertCorner(at));
        QObject::connect(insert, &QAction::triggered, view,
                         [view, at] { view->GetCanvas().GetCornerEdits().InsertCorner(at); });
        QAction* remove = menu->addAction("De&lete Corner");
        remove->setStatusTip(QString::fromUtf8(FindCommand(ID_EDIT_DELETE_CORNER)->pszPrompt));
        remove->setEnabled(canvas.GetCornerEdits().CanDeleteCorner(at));
        QObject::connect(remove, &QAction::triggered, view,
                         [view, at] { view->GetCanvas().GetCornerEdits().DeleteCorner(at); });
        // The piece under the point, a curve or straight.
        for (const bool curved : {true, false}) {
            const int id = curved ? ID_EDIT_MAKE_PIECE_CURVED : ID_EDIT_MAKE_PIECE_STRAIGHT;
            QAction* piece =
                menu->addAction(curved ? "Make Piece Cur&ved" : "Make Piece Strai&ght");
            piece->setStatusTip(QString::fromUtf8(FindCommand(id)->pszPrompt));
            piece->setEnabled(canvas.GetCornerEdits().CanCurvePiece(at, curved));
            QObject::connect(piece, &QAction::triggered, view, [view, at, curved] {
                view->GetCanvas().GetCornerEdits().CurvePiece(at, curved);
            });
        }
    }
    return menu;
}
