#include "app/LatexDialogs.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

constexpr const char* kPreambleKey = "LaTeX/Preamble";

struct CFormat {
    ETypesetOutput eFormat;
    const char* pszName;
    const char* pszSuffix;
};
constexpr CFormat kFormats[] = {
    {ETypesetOutput::Pdf, "PDF (vector)", "pdf"},
    {ETypesetOutput::Png, "PNG image", "png"},
    {ETypesetOutput::Svg, "SVG (vector)", "svg"},
};

} // namespace

QString GetLatexPreamble() {
    return QSettings().value(kPreambleKey, QString()).toString();
}

void SetLatexPreamble(const QString& preamble) {
    QSettings().setValue(kPreambleKey, preamble);
}

QString GetLatexUsageHelp() {
    return "A drawing saved with \"Save As TeXDraw file\" is TeXDraw source. Put "
           "\\usepackage{texdraw} (and the packages of the LaTeX preamble setting) into the "
           "document's preamble and \\input the file where the drawing belongs.\n\n"
           "TeXDraw draws with PostScript specials, which only latex + dvips (and then ps2pdf) "
           "render. pdflatex cannot render them; with pdflatex use either of:\n"
           "  - the exported PDF: run \"quodra --export drawing.pdf drawing.txt\" (for example "
           "in a Makefile) and write \\includegraphics{drawing.pdf} (package graphicx);\n"
           "  - an EPS made by latex and dvips -E from a small document holding the drawing, "
           "converted on the fly: \\usepackage{epstopdf} and \\includegraphics{drawing.eps}, "
           "compiled with pdflatex -shell-escape.";
}

bool ExportFormatOf(const QString& path, ETypesetOutput& format) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const CFormat& f : kFormats) {
        if (suffix == f.pszSuffix) {
            format = f.eFormat;
            return true;
        }
    }
    return false;
}

// --- Preamble

CPreambleDialog::CPreambleDialog(const QString& preamble, QWidget* parent) : QDialog(parent) {
    setWindowTitle("LaTeX Preamble");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("&Packages and definitions that the texts of the figures use, as "
                             "they stand in the preamble of the LaTeX document (texdraw is "
                             "loaded already). The preview and the export use them.",
                             this);
    label->setWordWrap(true);
    layout->addWidget(label);
    m_pEdit = new QPlainTextEdit(preamble, this);
    m_pEdit->setPlaceholderText("\\usepackage{amsmath}");
    m_pEdit->setObjectName("preamble");
    label->setBuddy(m_pEdit);
    layout->addWidget(m_pEdit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(480, 260);
}

QString CPreambleDialog::GetPreamble() const {
    return m_pEdit->toPlainText();
}

// --- Export

CExportDialog::CExportDialog(const QString& suggestedPath, QWidget* parent) : QDialog(parent) {
    setWindowTitle("Export");
    auto* form = new QFormLayout;
    m_pFormat = new QComboBox(this);
    for (const CFormat& f : kFormats)
        m_pFormat->addItem(f.pszName, static_cast<int>(f.eFormat));
    form->addRow("&Format:", m_pFormat);

    auto* fileRow = new QHBoxLayout;
    m_pPath = new QLineEdit(suggestedPath, this);
    auto* browse = new QPushButton("&Browse...", this);
    fileRow->addWidget(m_pPath, 1);
    fileRow->addWidget(browse);
    // A row of two widgets gets no buddy of its own: the label is given the line edit.
    auto* fileLabel = new QLabel("File &name:", this);
    fileLabel->setBuddy(m_pPath);
    form->addRow(fileLabel, fileRow);

    auto* cropRow = new QHBoxLayout;
    m_pCropDrawing = new QRadioButton("the &drawing", this);
    m_pCropPage = new QRadioButton("the whole &page", this);
    m_pCropDrawing->setChecked(true);
    cropRow->addWidget(m_pCropDrawing);
    cropRow->addWidget(m_pCropPage);
    cropRow->addStretch(1);
    form->addRow("Crop to:", cropRow);

    m_pDpi = new QSpinBox(this);
    m_pDpi->setRange(36, 2400);
    m_pDpi->setValue(300);
    m_pDpi->setSuffix(" dpi");
    form->addRow("&Resolution:", m_pDpi);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText("&Export");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);

    ETypesetOutput format = ETypesetOutput::Pdf;
    if (ExportFormatOf(suggestedPath, format))
        m_pFormat->setCurrentIndex(m_pFormat->findData(static_cast<int>(format)));
    connect(m_pFormat, &QComboBox::currentIndexChanged, this, &CExportDialog::OnFormatChanged);
    connect(browse, &QPushButton::clicked, this, &CExportDialog::OnBrowse);
    OnFormatChanged();
    resize(520, sizeHint().height());
}

QString CExportDialog::GetPath() const {
    return m_pPath->text().trimmed();
}

ETypesetOutput CExportDialog::GetFormat() const {
    return static_cast<ETypesetOutput>(m_pFormat->currentData().toInt());
}

ETypesetCrop CExportDialog::GetCrop() const {
    return m_pCropPage->isChecked() ? ETypesetCrop::Page : ETypesetCrop::Drawing;
}

int CExportDialog::GetDpi() const {
    return m_pDpi->value();
}

void CExportDialog::OnFormatChanged() {
    m_pDpi->setEnabled(GetFormat() == ETypesetOutput::Png);
    // The file name follows the format.
    QString path = GetPath();
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    const char* suffix = kFormats[m_pFormat->currentIndex()].pszSuffix;
    if (info.suffix().toLower() != suffix) {
        const QString base =
            info.suffix().isEmpty() ? path : path.left(path.size() - info.suffix().size() - 1);
        m_pPath->setText(base + "." + suffix);
    }
}

void CExportDialog::OnBrowse() {
    const CFormat& f = kFormats[m_pFormat->currentIndex()];
    const QString filter = QString("%1 (*.%2)").arg(f.pszName, f.pszSuffix);
    QFileDialog dlg(this, "Export", GetPath());
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setNameFilters({filter});
    dlg.setDefaultSuffix(f.pszSuffix);
    if (dlg.exec() == QDialog::Accepted && !dlg.selectedFiles().isEmpty())
        m_pPath->setText(dlg.selectedFiles().first());
}

void CExportDialog::accept() {
    if (GetPath().isEmpty()) {
        QMessageBox::warning(this, "Export", "Please give the name of the file to write.");
        return;
    }
    QDialog::accept();
}
