// CRecentFileList: the most recently used drawing files, kept in the settings and shown in the
// File menu in place of the "Recent File" entry (disabled while the list is empty).
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAction;
class QMenu;

class CRecentFileList : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxFiles = 4;

    explicit CRecentFileList(QObject* parent = nullptr);

    // Reads and writes the list under the settings group "Recent File List" (File1 .. File4).
    void Load();
    void Save() const;

    // Puts the path at the top (moving it there when it is listed already), keeps four entries,
    // saves the list and refreshes the menu.
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& GetFiles() const { return m_files; }

    // The entries go into the menu just before `anchor` (the separator after them); `placeholder`
    // is the disabled "Recent File" entry shown while the list is empty.
    void AttachToMenu(QMenu* menu, QAction* placeholder, QAction* anchor);

signals:
    // An entry of the menu was chosen.
    void FileChosen(const QString& path);

private:
    void UpdateMenu();

    QStringList m_files;
    QPointer<QMenu> m_pMenu;
    QAction* m_pPlaceholder = nullptr;
    QAction* m_pAnchor = nullptr;
    QList<QAction*> m_entries;
};
