// The typeset preview's round trip through the real toolchain: the document written from the
// figures, latex, dvips and Ghostscript to the page image, as the preview runs it after a change
// (each iteration moves one figure, so latex always runs). Each time runs from the change to the
// page: the pause the preview waits after a change, spent in the event loop as the dock spends it
// (the editor is idle then), plus the run. The goal is up to date within 0.5 s of the last change
// for 500 figures.
#include "app/PreviewDock.h"
#include "app/Typesetter.h"
#include "figures/BezierCurve.h"
#include "figures/FigureList.h"
#include "figures/Line.h"
#include "figures/TextFigures.h"
#include "latex/LatexLog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "quodra_preview_bench";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// n figures spread over the page: text rectangles and ellipses with math, lines, arrows, curves.
CFigureList MakeDrawing(int n) {
    CFigureList list;
    for (int i = 0; i < n; ++i) {
        const int x = 10 + (i * 67) % 600;
        const int y = 10 + (i * 131) % 720;
        std::unique_ptr<CFigure> f;
        switch (i % 5) {
        case 0: {
            auto t = std::make_unique<CTextRectangle>();
            t->SetText("$x_{" + std::to_string(i) + "}^2$");
            f = std::move(t);
            break;
        }
        case 1: {
            auto t = std::make_unique<CTextEllipse>();
            t->SetText("Node " + std::to_string(i));
            f = std::move(t);
            break;
        }
        case 2:
            f = std::make_unique<CLine>();
            break;
        case 3:
            f = std::make_unique<CArrow>();
            break;
        default:
            f = std::make_unique<CBezierCurve>();
            break;
        }
        f->SetPoints(x, y, x + 60, y + 40, 1.0);
        list.Add(std::move(f));
    }
    return list;
}

void BM_PreviewRoundTrip(benchmark::State& state) {
    App();
    if (!CTypesetter::FindMissingTools(ETypesetOutput::Preview).isEmpty()) {
        state.SkipWithError("the LaTeX toolchain is not installed");
        return;
    }
    CFigureList list = MakeDrawing(static_cast<int>(state.range(0)));
    CTypesetter typesetter;
    CTypesetRequest request;
    request.eOutput = ETypesetOutput::Preview;
    request.dDpi = 100;
    // The first run after the dock opens also makes what later runs start from (the format, the
    // waiting Ghostscript); it is not a change being typeset and stays out of the times.
    request.strDocument = CTeXDrawLineMap(list).GetDocument();
    if (!typesetter.Run(request).bOk) {
        state.SkipWithError("the first run failed");
        return;
    }
    int step = 0;
    for (auto _ : state) {
        list.GetAt(0)->MoveBy((step++ % 2) ? 1 : -1, 0);
        request.strDocument = CTeXDrawLineMap(list).GetDocument();
        const auto start = std::chrono::steady_clock::now();
        QEventLoop pause;
        QTimer::singleShot(CPreviewDock::kDebounceMs, &pause, &QEventLoop::quit);
        pause.exec();
        const CTypesetResult result = typesetter.Run(request);
        const std::chrono::duration<double> run = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(run.count());
        if (!result.bOk) {
            state.SkipWithError(result.strError.toStdString().c_str());
            return;
        }
        benchmark::DoNotOptimize(result.image.constBits());
    }
}
BENCHMARK(BM_PreviewRoundTrip)
    ->Arg(50)
    ->Arg(500)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

} // namespace
