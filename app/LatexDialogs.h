// The LaTeX settings and dialogs: the preamble kept in the settings, the preamble dialog, the
// export dialog and the help on putting a drawing into a LaTeX document.
#pragma once

#include "app/Typesetter.h"

#include <QDialog>
#include <QString>

class QButtonGroup;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;
class QSpinBox;

// The packages and definitions the texts use, for the preview and the export.
QString GetLatexPreamble();
void SetLatexPreamble(const QString& preamble);

// How to include an exported drawing with pdflatex, and the TeXDraw source with latex.
QString GetLatexUsageHelp();

class CPreambleDialog : public QDialog {
    Q_OBJECT
public:
    explicit CPreambleDialog(const QString& preamble, QWidget* parent = nullptr);
    QString GetPreamble() const;

private:
    QPlainTextEdit* m_pEdit;
};

// File, format, crop and resolution of an export.
class CExportDialog : public QDialog {
    Q_OBJECT
public:
    explicit CExportDialog(const QString& suggestedPath, QWidget* parent = nullptr);

    QString GetPath() const;
    ETypesetOutput GetFormat() const;
    ETypesetCrop GetCrop() const;
    int GetDpi() const;

    void accept() override;

private:
    void OnFormatChanged();
    void OnBrowse();

    QLineEdit* m_pPath;
    QComboBox* m_pFormat;
    QRadioButton* m_pCropDrawing;
    QRadioButton* m_pCropPage;
    QSpinBox* m_pDpi;
};

// The format an export file name asks for by its extension (.pdf, .png, .svg); false for any
// other.
bool ExportFormatOf(const QString& path, ETypesetOutput& format);
