// Cquodra_dvApp: start-up of the editor. It names the settings, creates the document and the
// main window (built hidden, then shown as it was left last time, maximised on the first start)
// and owns them for the whole run; it opens the file named on the command line.
#pragma once

#include <QStringList>

#include <memory>

class CMainFrame;
class Cquodra_dvDoc;

class Cquodra_dvApp {
public:
    Cquodra_dvApp();
    ~Cquodra_dvApp();
    Cquodra_dvApp(const Cquodra_dvApp&) = delete;
    Cquodra_dvApp& operator=(const Cquodra_dvApp&) = delete;

    // Needs the QApplication to exist. With show false the window stays hidden (for tests that
    // want to look at it before it appears).
    bool InitInstance(bool show = true);
    // "quodra FILE": after InitInstance, opens the file that the command line names.
    // When it cannot be read the user is told why and the editor keeps its start-up drawing.
    void OpenCommandLineFile(const QStringList& arguments);

    CMainFrame* GetMainFrame() const { return m_pMainFrame.get(); }
    Cquodra_dvDoc* GetDocument() const { return m_pDoc.get(); }

private:
    std::unique_ptr<Cquodra_dvDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
