// The small modal dialogs: CProperties (a figure's text, opened by a double-click),
// CSetTextDialog (the test-mode "Change text" command) and the About box.
#pragma once

#include <QDialog>
#include <QString>

class QGroupBox;
class QLineEdit;
class QPushButton;

// "Set text": the text in a single-line field, applied with "Apply". The field and the button
// are enabled only for figures that carry a text.
class CProperties : public QDialog {
    Q_OBJECT
public:
    explicit CProperties(QWidget* parent = nullptr);

    bool m_bEnabled = false;
    QString m_strText;

    // Result of exec() when the dialog ended through "Apply".
    static constexpr int kApplied = 1;

    QLineEdit* GetEdit() const { return m_pEdit; }
    QPushButton* GetApplyButton() const { return m_pApply; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnApply();

    QGroupBox* m_pGroup;
    QLineEdit* m_pEdit;
    QPushButton* m_pApply;
};

// Asks for a text for the first selected text figure; OK takes the field's text, Cancel leaves
// the figure alone.
class CSetTextDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSetTextDialog(QWidget* parent = nullptr);

    QString m_strText;

    QLineEdit* GetEdit() const { return m_pEdit; }
    QPushButton* GetOkButton() const { return m_pOk; }

private:
    QLineEdit* m_pEdit;
    QPushButton* m_pOk;
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};

// The version shown in the About box.
inline constexpr const char* kQuodraVersion = "1.0";
