#include "app/LockIndicators.h"

#include <QApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QtGui/qguiapplication_platform.h>

CLockIndicators::CLockIndicators(QStatusBar* statusBar) : QObject(statusBar) {
    const char* const texts[] = {"CAP", "NUM", "SCRL"};
    for (int i = 0; i < 3; ++i) {
        auto* pane = new QLabel(texts[i], statusBar);
        pane->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        pane->setAlignment(Qt::AlignCenter);
        // Wide enough for the text whether it is shown or not.
        pane->setMinimumWidth(pane->fontMetrics().horizontalAdvance("SCRL") + 12);
        statusBar->addPermanentWidget(pane);
        m_panes[i] = pane;
    }
    Show(CLockState{});
    if (QueryLockState()) {
        // The lock keys can change while another window has the keyboard: a slow poll catches
        // that, the key events catch it at once while the editor has it.
        m_pTimer = new QTimer(this);
        connect(m_pTimer, &QTimer::timeout, this, &CLockIndicators::Refresh);
        m_pTimer->start(500);
        qApp->installEventFilter(this);
        Refresh();
    }
}

void CLockIndicators::Show(const CLockState& state) {
    const bool on[] = {state.bCaps, state.bNum, state.bScroll};
    for (int i = 0; i < 3; ++i)
        m_panes[i]->setEnabled(on[i]);
}

void CLockIndicators::Refresh() {
    if (const auto state = QueryLockState())
        Show(*state);
}

bool CLockIndicators::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease || event->type() == QEvent::KeyPress)
        QTimer::singleShot(0, this, &CLockIndicators::Refresh);
    return QObject::eventFilter(watched, event);
}

// Last in the file: Xlib defines macros such as None, Bool, Status and KeyPress that clash
// with Qt's names.
#if QUODRA_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

std::optional<CLockState> QueryLockState() {
#if QUODRA_HAVE_X11 && QT_CONFIG(xcb)
    auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    // The indicators are looked up by name, so the result does not depend on which bit a
    // keyboard map gives each of them.
    auto indicator = [display](const char* name) {
        const Atom atom = XInternAtom(display, name, True);
        if (atom == 0)
            return false;
        int on = 0;
        if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr))
            return false;
        return on != 0;
    };
    CLockState state;
    state.bCaps = indicator("Caps Lock");
    state.bNum = indicator("Num Lock");
    state.bScroll = indicator("Scroll Lock");
    return state;
#else
    return std::nullopt;
#endif
}
