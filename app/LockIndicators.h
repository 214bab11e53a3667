// The status bar's Caps Lock, Num Lock and Scroll Lock indicators. Qt does not tell the state of
// the lock keys, so it is read from the X server's keyboard indicators; on any other platform
// (for example the offscreen one of the tests) the indicators stay off.
#pragma once

#include <QObject>

#include <array>
#include <optional>

class QLabel;
class QStatusBar;
class QTimer;

struct CLockState {
    bool bCaps = false;
    bool bNum = false;
    bool bScroll = false;
};

// The current state of the three locks; nothing when it cannot be read on this platform.
std::optional<CLockState> QueryLockState();

class CLockIndicators : public QObject {
    Q_OBJECT
public:
    // Adds the "CAP", "NUM" and "SCRL" panes to the right end of the status bar.
    explicit CLockIndicators(QStatusBar* statusBar);

    // Shows a state: a pane's text is greyed while its lock is off.
    void Show(const CLockState& state);
    void Refresh();

    QLabel* GetCapsPane() const { return m_panes[0]; }
    QLabel* GetNumPane() const { return m_panes[1]; }
    QLabel* GetScrollPane() const { return m_panes[2]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::array<QLabel*, 3> m_panes{};
    QTimer* m_pTimer = nullptr;
};
