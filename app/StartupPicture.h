// Where the start-up picture is found: the folder the program was started in, beside the
// executable, the installed data folder, and at last the copy built into the program.
#pragma once

#include <QString>
#include <QStringList>

// The image path for the start-up picture. "res/hny.gif" when the current folder has it (looked
// up again at every paint, as a relative path); otherwise the first of the candidate files that
// exists, as an absolute path; otherwise the built-in copy ":/res/hny.gif".
QString FindStartupPicture(const QString& currentDir, const QStringList& candidates);

// The places beside the executable and in the data folders where an installed or built program
// keeps the picture, in the order they are tried.
QStringList GetStartupPictureCandidates(const QString& exeDir);

// Looks for the picture from the current folder and the executable's folder and makes it the
// image of every start-up picture made from now on.
void UseStartupPictureFoundHere();
