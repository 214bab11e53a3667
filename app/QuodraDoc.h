// Cquodra_dvDoc: the document. The figures live in the canvas; the document keeps only where the
// drawing was last saved (or read from), which gives the window its title.
#pragma once

#include <QString>

class Cquodra_dvDoc {
public:
    // The file the drawing was last saved to or read from; empty for a new drawing.
    const QString& GetPathName() const { return m_strPathName; }
    void SetPathName(const QString& path) { m_strPathName = path; }
    // "Untitled" for a new drawing, otherwise the file's name.
    QString GetTitle() const;

private:
    QString m_strPathName;
};
