#include "app/QuodraDoc.h"

#include <QFileInfo>

QString Cquodra_dvDoc::GetTitle() const {
    return m_strPathName.isEmpty() ? QString("Untitled") : QFileInfo(m_strPathName).fileName();
}
