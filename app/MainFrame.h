// CMainFrame: the main window. It builds the menus and both toolbars from the command table,
// the status bar with its prompt pane and lock indicators, and routes every command to the view;
// it asks the view to save a changed drawing before the window closes, and keeps the recent-file
// list of the files opened and saved. The typeset preview and the line style panel are docks
// beside the canvas.
#pragma once

#include "app/CommandHandlers.h"

#include <QHash>
#include <QMainWindow>

class CLockIndicators;
class CPreviewDock;
class CRecentFileList;
class CStatusPanes;
class CStyleDock;
class Cquodra_dvDoc;
class Cquodra_dvView;
class QAction;
class QLabel;
class QToolBar;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(Cquodra_dvDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    Cquodra_dvView* GetView() const { return m_pView; }
    QAction* GetAction(int id) const { return m_actions.value(id); }
    QToolBar* GetMainToolBar() const { return m_pMainToolBar; }
    QToolBar* GetAdditionalToolBar() const { return m_pAdditionalToolBar; }
    CRecentFileList* GetRecentFileList() const { return m_pRecentFiles; }
    CLockIndicators* GetLockIndicators() const { return m_pLocks; }
    QLabel* GetMessagePane() const { return m_pMessagePane; }
    CStatusPanes* GetStatusPanes() const { return m_pStatusPanes; }
    CPreviewDock* GetPreviewDock() const { return m_pPreviewDock; }
    CStyleDock* GetStyleDock() const { return m_pStyleDock; }

    // "<document title> - quodra_dv", with the platform's mark while the drawing has changes.
    void UpdateTitle();
    // Shows the window as it was left last time (size, place, maximised or not, toolbars), or
    // maximised over a restored size of two thirds of the screen on the first start.
    void ShowAsLastTime();
    // Keeps the window's geometry and toolbar layout for the next start.
    void SaveLayout() const;
    // Check marks of the six flag commands and of the bar commands, and the edit commands.
    void UpdateCommandUI();
    // Undo and redo named after their steps; undo, redo, cut, copy, paste and select all enabled
    // only when they can act.
    void UpdateEditCommands();
    // An entry of the recent-file list was chosen: opens that file.
    void OnRecentFile(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    QToolBar* CreateToolBar(const QString& title, const QString& objectName,
                            const QList<int>& buttons);
    void CreateStatusBar();
    void CreatePreviewDock();
    void CreateStyleDock();
    // The window's own commands: showing and hiding its parts, and leaving.
    void RegisterCommands();
    void OnAction(int id);

    Cquodra_dvDoc& m_doc;
    Cquodra_dvView* m_pView = nullptr;
    QHash<int, QAction*> m_actions;
    QToolBar* m_pMainToolBar = nullptr;
    QToolBar* m_pAdditionalToolBar = nullptr;
    QLabel* m_pMessagePane = nullptr;
    // "Kept text: Details...": the link to what the opened file holds that stays as it stands.
    QLabel* m_pKeptNotice = nullptr;
    QString m_strKeptDetails;
    // "Beyond the page": shown while a figure reaches beyond the editor's page.
    QLabel* m_pBeyondNotice = nullptr;
    CStatusPanes* m_pStatusPanes = nullptr;
    CLockIndicators* m_pLocks = nullptr;
    CRecentFileList* m_pRecentFiles = nullptr;
    CPreviewDock* m_pPreviewDock = nullptr;
    CStyleDock* m_pStyleDock = nullptr;
    CCommandHandlers m_commands;
};
