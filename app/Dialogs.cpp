#include "app/Dialogs.h"

#include "figures/TextFigures.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QValidator>

#include <algorithm>

namespace {

// A figure's text is one line: line breaks pasted or typed into the field become spaces at once,
// so what the field shows is what the figure gets.
class COneLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        const QString line = QString::fromStdString(OneLineText(input.toStdString()));
        if (line != input) {
            pos = std::min<int>(pos, static_cast<int>(line.size()));
            input = line;
        }
        return Acceptable;
    }
};

// A field in a titled group, as both text dialogs show it.
QGroupBox* MakeTextGroup(const QString& title, QLineEdit*& edit, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    edit = new QLineEdit(group);
    edit->setMinimumWidth(300);
    edit->setValidator(new COneLineValidator(edit));
    auto* layout = new QVBoxLayout(group);
    layout->addWidget(edit);
    return group;
}

} // namespace

CProperties::CProperties(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Set text");
    m_pGroup = MakeTextGroup("Text", m_pEdit, this);
    m_pEdit->setEnabled(false);
    m_pApply = new QPushButton("Apply", this);
    m_pApply->setEnabled(false);
    m_pApply->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_pApply);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pGroup);
    layout->addLayout(buttons);
    connect(m_pApply, &QPushButton::clicked, this, &CProperties::OnApply);
}

void CProperties::showEvent(QShowEvent* event) {
    // The switches are read when the dialog opens, as the caller sets them after construction.
    m_pEdit->setEnabled(m_bEnabled);
    m_pApply->setEnabled(m_bEnabled);
    m_pEdit->setText(m_strText);
    if (m_bEnabled) {
        m_pEdit->selectAll();
        m_pEdit->setFocus();
    }
    QDialog::showEvent(event);
}

void CProperties::OnApply() {
    m_strText = m_pEdit->text();
    done(kApplied);
}

CSetTextDialog::CSetTextDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle("Change text");
    auto* group = MakeTextGroup("Text", m_pEdit, this);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_pOk = box->button(QDialogButtonBox::Ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(box);
    connect(box, &QDialogButtonBox::accepted, this, [this] {
        m_strText = m_pEdit->text();
        accept();
    });
    connect(box, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle("About quodra_dv");
    auto* icon = new QLabel(this);
    icon->setPixmap(QPixmap(":/res/quodra.png"));
    auto* text = new QLabel(QString("<b>quodra_dv</b> version %1<br>"
                                    "Draws figures on a page and saves them as TeXDraw source "
                                    "for LaTeX documents.")
                                .arg(kQuodraVersion),
                            this);
    text->setWordWrap(true);
    text->setMinimumWidth(320);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(box, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(box);
}
