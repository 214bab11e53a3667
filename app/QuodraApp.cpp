#include "app/QuodraApp.h"

#include "app/CommandLine.h"
#include "app/MainFrame.h"
#include "app/QuodraDoc.h"
#include "app/QuodraView.h"
#include "app/StartupPicture.h"

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
    QCoreApplication::setApplicationVersion(GetQuodraVersion());
    // Before the canvas makes its start-up picture.
    UseStartupPictureFoundHere();
    m_pDoc = std::make_unique<Cquodra_dvDoc>();
    m_pMainFrame = std::make_unique<CMainFrame>(*m_pDoc);
    if (show)
        m_pMainFrame->ShowAsLastTime();
    return true;
}

void Cquodra_dvApp::OpenCommandLineFile(const QStringList& arguments) {
    // The drawing is new and has nothing to save, so nothing is asked first.
    const QString file = ParseCommandLine(arguments).strFile;
    if (!file.isEmpty())
        m_pMainFrame->GetView()->OpenDocument(file, false);
}
