#include "app/RecentFileList.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

const char* const kGroup = "Recent File List";

QString Normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

} // namespace

CRecentFileList::CRecentFileList(QObject* parent) : QObject(parent) {}

void CRecentFileList::Load() {
    QSettings settings;
    settings.beginGroup(kGroup);
    m_files.clear();
    for (int i = 1; i <= kMaxFiles; ++i) {
        const QString path = settings.value(QString("File%1").arg(i)).toString();
        if (!path.isEmpty() && !m_files.contains(path))
            m_files.append(path);
    }
    UpdateMenu();
}

void CRecentFileList::Save() const {
    QSettings settings;
    settings.beginGroup(kGroup);
    for (int i = 1; i <= kMaxFiles; ++i) {
        const QString key = QString("File%1").arg(i);
        if (i <= m_files.size())
            settings.setValue(key, m_files[i - 1]);
        else
            settings.remove(key);
    }
}

void CRecentFileList::Add(const QString& path) {
    const QString p = Normalised(path);
    m_files.removeAll(p);
    m_files.prepend(p);
    while (m_files.size() > kMaxFiles)
        m_files.removeLast();
    Save();
    UpdateMenu();
}

void CRecentFileList::Remove(const QString& path) {
    if (m_files.removeAll(Normalised(path)) + m_files.removeAll(path) == 0)
        return;
    Save();
    UpdateMenu();
}

void CRecentFileList::AttachToMenu(QMenu* menu, QAction* placeholder, QAction* anchor) {
    m_pMenu = menu;
    m_pPlaceholder = placeholder;
    m_pAnchor = anchor;
    UpdateMenu();
}

void CRecentFileList::UpdateMenu() {
    if (!m_pMenu)
        return;
    qDeleteAll(m_entries);
    m_entries.clear();
    m_pPlaceholder->setVisible(m_files.isEmpty());
    m_pPlaceholder->setEnabled(false);
    for (int i = 0; i < m_files.size(); ++i) {
        const QString path = m_files[i];
        // "&1 name" with the folder shortened the way a file menu shows it.
        QString shown = QDir::toNativeSeparators(path);
        if (shown.size() > 60)
            shown = QFileInfo(path).fileName();
        shown.replace("&", "&&");
        auto* action = new QAction(QString("&%1 %2").arg(i + 1).arg(shown), m_pMenu);
        action->setStatusTip("Open this document");
        action->setData(path);
        connect(action, &QAction::triggered, this, [this, path] { emit FileChosen(path); });
        m_pMenu->insertAction(m_pAnchor, action);
        m_entries.append(action);
    }
}
