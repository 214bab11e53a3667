// Cquodra_dvDoc: the document. The figures live in the canvas; the document keeps where the
// drawing was last saved (or read from), which gives the window its title, and what that file
// was on the disk then, so that changes made by other programs are noticed.
#pragma once

#include "texdraw/Document.h"

#include <QString>

class Cquodra_dvDoc {
public:
    // The file the drawing was last saved to or read from; empty for a new drawing.
    const QString& GetPathName() const { return m_strPathName; }
    void SetPathName(const QString& path) { m_strPathName = path; }
    // "Untitled" for a new drawing, otherwise the file's name.
    QString GetTitle() const;
    // The file as this window last read or wrote it; a different file on disk was changed by
    // another program (or another window).
    const CFileStamp& GetFileStamp() const { return m_fileStamp; }
    void SetFileStamp(const CFileStamp& stamp) { m_fileStamp = stamp; }

private:
    QString m_strPathName;
    CFileStamp m_fileStamp;
};
