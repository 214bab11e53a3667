#include "app/QuodraApp.h"

#include "app/MainFrame.h"
#include "app/QuodraDoc.h"
#include "app/QuodraView.h"

#include <QCoreApplication>

Cquodra_dvApp::Cquodra_dvApp() = default;

Cquodra_dvApp::~Cquodra_dvApp() {
    // The window (and with it the canvas and its figures) goes before the document it shows.
    m_pMainFrame.reset();
    m_pDoc.reset();
}

bool Cquodra_dvApp::InitInstance(bool show) {
    // Settings (the recent-file list) are kept per user under these two names.
    QCoreApplication::setOrganizationName("Local AppWizard-Generated Applications");
    QCoreApplication::setApplicationName("quodra_dv");
    m_pDoc = std::make_unique<Cquodra_dvDoc>();
    m_pMainFrame = std::make_unique<CMainFrame>(*m_pDoc);
    if (show)
        m_pMainFrame->showMaximized();
    return true;
}

void Cquodra_dvApp::OpenCommandLineFile(const QStringList& arguments) {
    // The drawing is new and has nothing to save, so nothing is asked first.
    if (arguments.size() > 1 && !arguments[1].isEmpty())
        m_pMainFrame->GetView()->OpenDocument(arguments[1], false);
}
