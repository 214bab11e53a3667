// The view's file commands: saving, opening, and the changes other programs make to the open
// file.
#include "app/QuodraView.h"

#include "app/CanvasWidget.h"
#include "app/Commands.h"
#include "app/Dialogs.h"
#include "app/QuodraDoc.h"
#include "texdraw/Document.h"
#include "texdraw/Reader.h"
#include "texdraw/Surroundings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

namespace {

// The open and the save dialog offer the same two filters, TeXDraw files first.
const QStringList kFileFilters{"TeXDraw Files  (*.txt)", "All Files  (*.*)"};

} // namespace

// --- Saving

QString Cquodra_dvView::AskSavePath() {
    if (m_fnGetSavePath)
        return m_fnGetSavePath();
    QFileDialog dlg(this, "Save As TeXDraw file");
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setNameFilters(kFileFilters);
    dlg.selectNameFilter(kFileFilters.first());
    // The dialog adds ".txt" to a name without extension before it checks for an existing file,
    // so the overwrite question is asked about the file that will really be written.
    dlg.setDefaultSuffix("txt");
    const QString last = m_doc.GetPathName();
    dlg.setDirectory(last.isEmpty() ? QDir::currentPath() : QFileInfo(last).absolutePath());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

QString Cquodra_dvView::AskOpenPath() {
    if (m_fnGetOpenPath)
        return m_fnGetOpenPath();
    QFileDialog dlg(this, "Open");
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setNameFilters(kFileFilters);
    dlg.selectNameFilter(kFileFilters.first());
    const QString last = m_doc.GetPathName();
    dlg.setDirectory(last.isEmpty() ? QDir::currentPath() : QFileInfo(last).absolutePath());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().first();
}

void Cquodra_dvView::ShowInfo(const QString& text) {
    if (m_fnShowInfo) {
        m_fnShowInfo(text);
        return;
    }
    QMessageBox::information(this, "quodra_dv", text);
}

void Cquodra_dvView::ShowError(const QString& text) {
    if (m_fnShowError) {
        m_fnShowError(text);
        return;
    }
    QMessageBox::warning(this, "quodra_dv", text);
}

bool Cquodra_dvView::OnSaveAsTeXDraw() {
    QString path = AskSavePath();
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += ".txt";
    return SaveTo(path);
}

bool Cquodra_dvView::OnFileSave() {
    const QString path = m_doc.GetPathName();
    if (path.isEmpty())
        return OnSaveAsTeXDraw();
    // What another program (or another window) wrote since this window read or wrote the file
    // is not thrown away unasked.
    if (GetFileStamp(QFile::encodeName(path).toStdString()) != m_doc.GetFileStamp()) {
        switch (AskSaveOverChange(QString("The file %1 was changed by another program.")
                                      .arg(QDir::toNativeSeparators(path)))) {
        case ESaveOverChange::Overwrite:
            break;
        case ESaveOverChange::SaveAs:
            return OnSaveAsTeXDraw();
        case ESaveOverChange::Cancel:
            return false;
        }
    }
    return SaveTo(path);
}

Cquodra_dvView::ESaveOverChange Cquodra_dvView::AskSaveOverChange(const QString& question) {
    if (m_fnAskSaveOverChange)
        return m_fnAskSaveOverChange(question);
    QMessageBox box(QMessageBox::Warning, "quodra_dv", question, QMessageBox::NoButton, this);
    QPushButton* overwrite = box.addButton("Overwrite", QMessageBox::DestructiveRole);
    QPushButton* saveAs = box.addButton("Save As\u2026", QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton("Cancel", QMessageBox::RejectRole);
    box.setDefaultButton(saveAs);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == overwrite)
        return ESaveOverChange::Overwrite;
    if (box.clickedButton() == saveAs)
        return ESaveOverChange::SaveAs;
    return ESaveOverChange::Cancel;
}

bool Cquodra_dvView::SaveTo(const QString& path) {
    std::string error;
    const std::string file = QFile::encodeName(path).toStdString();
    CFileStamp written;
    if (!GetCanvas().WriteTeXDrawFile(file, error, &written)) {
        ShowError(QString("The drawing could not be saved to\n%1\n\n%2")
                      .arg(QDir::toNativeSeparators(path), QString::fromStdString(error)));
        return false;
    }
    if (!written.bExists)
        written = GetFileStamp(file);
    // The watcher's reports of this very save find the file as written and stay silent.
    m_doc.SetPathName(path);
    m_doc.SetFileStamp(written);
    m_declinedStamp = {};
    WatchFile(path);
    emit DocumentChanged();
    emit FileUsed(path);
    return true;
}

bool Cquodra_dvView::SaveModified() {
    if (!GetCanvas().IsModified())
        return true;
    const QString question = QString("Save changes to %1?").arg(m_doc.GetTitle());
    const QMessageBox::StandardButton answer =
        m_fnAskSaveChanges
            ? m_fnAskSaveChanges(question)
            : QMessageBox::question(this, "quodra_dv", question,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                                    QMessageBox::Yes);
    switch (answer) {
    case QMessageBox::Yes:
        return OnFileSave();
    case QMessageBox::No:
        return true;
    default:
        return false;
    }
}

void Cquodra_dvView::BackToSelectMode() {
    GetCanvas().SetMode(kModeSelect);
    m_bSelectMode = true;
    m_bZoomMode = false;
}

void Cquodra_dvView::OnFileNew() {
    if (!SaveModified())
        return;
    GetCanvas().ResetDrawing();
    emit DrawingReplaced();
    BackToSelectMode();
    m_doc.SetPathName({});
    m_doc.SetFileStamp({});
    m_declinedStamp = {};
    m_nDrawing = 0;
    WatchFile({});
    emit DocumentChanged();
}

// --- Opening

std::optional<int> Cquodra_dvView::AskDrawing(const QString& path, int count) {
    QFile file(path);
    std::vector<CTeXDrawListing> listed;
    if (file.open(QIODevice::ReadOnly))
        listed = ListTeXDrawDrawings(file.readAll().toStdString());
    QStringList items;
    for (std::size_t i = 0; i < listed.size(); ++i)
        items << QString("Drawing %1, line %2: %3")
                     .arg(i + 1)
                     .arg(listed[i].m_nLine)
                     .arg(QString::fromStdString(listed[i].m_strFirstLine));
    // The reader counts what this listing may not find whole: the rest are named by number.
    for (int i = static_cast<int>(items.size()); i < count; ++i)
        items << QString("Drawing %1").arg(i + 1);
    if (m_fnChooseDrawing)
        return m_fnChooseDrawing(items);
    bool ok = false;
    const QString chosen = QInputDialog::getItem(
        this, "Open",
        QString("%1 holds %2 drawings. Which one do you want to edit? The others are kept as they "
                "stand.")
            .arg(QFileInfo(path).fileName())
            .arg(count),
        items, 0, false, &ok);
    if (!ok)
        return std::nullopt;
    return static_cast<int>(items.indexOf(chosen));
}

void Cquodra_dvView::OnFileOpen() {
    // The question about a changed drawing comes first: the user settles it before looking for
    // another file, and a cancelled question shows no dialog at all.
    if (!SaveModified())
        return;
    const QString path = AskOpenPath();
    if (!path.isEmpty())
        OpenDocument(path, false);
}

Cquodra_dvView::EOpenResult Cquodra_dvView::OpenDocument(const QString& path, bool askToSave) {
    if (askToSave && !SaveModified())
        return EOpenResult::Cancelled;
    // Read into a list of its own: the drawing on screen is replaced only once the whole file
    // has been understood.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    RecoverInterruptedSave(absolute);
    CFigureList figures;
    // Taken before reading: a change while the file is read shows as a change afterwards.
    const CFileStamp stamp = GetFileStamp(QFile::encodeName(absolute).toStdString());
    const std::string file = QFile::encodeName(absolute).toStdString();
    CTeXDrawReadResult result = ReadTeXDrawFile(file, figures);
    // A file of several drawings: the user says which one to edit.
    int drawing = 0;
    if (result.ok && result.nFurtherDrawings > 0) {
        const std::optional<int> chosen = AskDrawing(absolute, 1 + result.nFurtherDrawings);
        if (!chosen || *chosen < 0)
            return EOpenResult::Cancelled;
        drawing = *chosen;
        if (drawing > 0) {
            CFigureList chosenFigures;
            result = ReadTeXDrawFile(file, chosenFigures, drawing);
            figures.Swap(chosenFigures);
        }
    }
    if (!result.ok) {
        ShowError(QString("The drawing could not be opened.\n\n%1")
                      .arg(QString::fromStdString(result.error)));
        return EOpenResult::Failed;
    }
    m_nDrawing = drawing;
    GetCanvas().ReplaceFigures(std::move(figures));
    emit DrawingReplaced();
    BackToSelectMode();
    m_doc.SetPathName(absolute);
    m_doc.SetFileStamp(stamp);
    m_declinedStamp = {};
    WatchFile(absolute);
    emit DocumentChanged();
    emit FileUsed(absolute);
    emit CommandUIChanged();
    if (result.bForeign) {
        // A drawing written elsewhere: say what became editable, and what else the file holds.
        int figures = 0;
        const CFigureList& list = GetCanvas().GetFigures();
        for (int i = 0; i < list.GetCount(); ++i)
            figures += list.GetAt(i)->m_bSelectable && !list.GetAt(i)->IsGridLine() ? 1 : 0;
        QString text = QString("A TeXDraw drawing written elsewhere: %1 of its figures can be "
                               "edited; everything else is kept as it stands.")
                           .arg(figures);
        const int drawings = result.nEarlierDrawings + 1 + result.nFurtherDrawings;
        if (drawings > 1)
            text += QString(" You are editing drawing %1 of the %2 in the file; the others are "
                            "kept unchanged.")
                        .arg(result.nEarlierDrawings + 1)
                        .arg(drawings);
        emit StatusMessage(text);
    }
    ReportKeptText(result, absolute);
    return EOpenResult::Opened;
}

void Cquodra_dvView::ReportKeptText(const CTeXDrawReadResult& result, const QString& path) {
    if (result.nUnrecognised == 0)
        return;
    // Say where the kept stretches begin, so that the user can look at them in the file.
    QStringList lines;
    for (int line : result.unrecognisedLines)
        lines << QString::number(line);
    constexpr int kShownLines = 10;
    if (lines.size() > kShownLines) {
        lines.resize(kShownLines);
        lines << "...";
    }
    const QString file = QDir::toNativeSeparators(path);
    QString summary, details;
    if (result.nUnrecognised == 1) {
        summary = QString("1 stretch of text in %1 is not understood by this editor (line %2).")
                      .arg(file, lines.join(", "));
        details = summary + "\n\nIt is kept as it stands and written back unchanged, in its "
                            "place, when the drawing is saved.";
    } else {
        summary = QString("%1 stretches of text in %2 are not understood by this editor "
                          "(lines %3).")
                      .arg(QString::number(result.nUnrecognised), file, lines.join(", "));
        details = summary + "\n\nThey are kept as they stand and written back unchanged, in "
                            "their places, when the drawing is saved.";
    }
    emit KeptTextNotice(summary, details);
}

void Cquodra_dvView::RecoverInterruptedSave(const QString& path) {
    const std::string file = QFile::encodeName(path).toStdString();
    const CSaveLeftovers left = TidySaveLeftovers(file);
    if (!left.backup)
        return;
    const QString copy = QFile::decodeName(QByteArray::fromStdString(*left.backup));
    const QString question =
        QString("A save of %1 was interrupted; restore the copy made before it?\n\n"
                "Otherwise the file is opened as it is, and the copy stays beside it as %2.")
            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(copy));
    if (!AskRestoreBackup(question))
        return;
    std::string error;
    if (!RestoreSaveBackup(file, *left.backup, error))
        ShowError(
            QString("The copy could not be restored.\n\n%1").arg(QString::fromStdString(error)));
}

bool Cquodra_dvView::AskRestoreBackup(const QString& question) {
    if (m_fnAskRestoreBackup)
        return m_fnAskRestoreBackup(question);
    return QMessageBox::question(this, "quodra_dv", question, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::Yes) == QMessageBox::Yes;
}

// --- Changes made by other programs

void Cquodra_dvView::WatchFile(const QString& path) {
    const QStringList watched = m_pWatcher->files() + m_pWatcher->directories();
    if (!watched.isEmpty())
        m_pWatcher->removePaths(watched);
    m_declinedStamp = {};
    if (path.isEmpty())
        return;
    // A file replaced by renaming another over it is no longer the one watched; the folder's
    // watch sees the rename, and the new file is watched after every report.
    m_pWatcher->addPath(QFileInfo(path).absolutePath());
    if (QFileInfo::exists(path))
        m_pWatcher->addPath(path);
}

void Cquodra_dvView::OnWatcherReport() {
    // The watch follows the file it was put on, which after a rename may live on under another
    // name (a second hard link) or not at all: it is put on the file the name shows now.
    const QString path = m_doc.GetPathName();
    if (!path.isEmpty()) {
        m_pWatcher->removePath(path);
        if (QFileInfo::exists(path))
            m_pWatcher->addPath(path);
    }
    m_pDiskCheck->start();
}

bool Cquodra_dvView::AskReload(const QString& question) {
    if (m_fnAskReload)
        return m_fnAskReload(question);
    QMessageBox box(QMessageBox::Warning, "quodra_dv", question, QMessageBox::NoButton, this);
    QPushButton* reload = box.addButton("Reload", QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton("Keep Mine", QMessageBox::RejectRole);
    box.setDefaultButton(keep);
    box.setEscapeButton(keep);
    box.exec();
    return box.clickedButton() == reload;
}

void Cquodra_dvView::CheckFileOnDisk() {
    // A question is open: the change is looked at again once it is answered.
    if (m_bCheckingDisk) {
        m_bCheckAgain = true;
        return;
    }
    const QString path = m_doc.GetPathName();
    if (path.isEmpty())
        return;
    const std::string file = QFile::encodeName(path).toStdString();
    const CFileStamp now = GetFileStamp(file);
    // This window's own saves leave the file as recorded.
    if (now == m_doc.GetFileStamp() || now == m_declinedStamp)
        return;
    const QString name = QDir::toNativeSeparators(path);
    if (!now.bExists) {
        // Perhaps half-way through another program's save; the next report tells.
        m_declinedStamp = now;
        emit StatusMessage(QString("%1 was deleted or moved by another program.").arg(name));
        return;
    }
    m_bCheckingDisk = true;
    const bool reload =
        !GetCanvas().IsModified() ||
        AskReload(QString("%1 was changed by another program.\n\nReload it and lose your "
                          "changes, or keep yours?")
                      .arg(name));
    if (reload) {
        CFigureList figures;
        const CTeXDrawReadResult result = ReadTeXDrawFile(file, figures, m_nDrawing);
        if (result.ok) {
            GetCanvas().ReplaceFigures(std::move(figures));
            emit DrawingReplaced();
            BackToSelectMode();
            m_doc.SetFileStamp(now);
            m_declinedStamp = {};
            emit DocumentChanged();
            emit CommandUIChanged();
            emit StatusMessage(
                QString("%1 was changed by another program and has been reloaded.").arg(name));
            ReportKeptText(result, path);
        } else {
            // The drawing on screen stays; saving over the file still asks first.
            m_declinedStamp = now;
            emit StatusMessage(QString("%1 was changed by another program but cannot be read "
                                       "(%2); the drawing on screen is kept.")
                                   .arg(name, QString::fromStdString(result.error)));
        }
    } else {
        m_declinedStamp = now;
    }
    m_bCheckingDisk = false;
    if (m_bCheckAgain) {
        m_bCheckAgain = false;
        m_pDiskCheck->start();
    }
}
