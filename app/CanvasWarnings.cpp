// CCanvasWidget: the warning signs over text figures whose text LaTeX will not print as typed,
// their tooltips, and the room they take when a change is painted again.
#include "app/CanvasWidget.h"

#include "figures/TextFigures.h"
#include "latex/LatexLog.h"
#include "latex/TextChecks.h"

#include <QPainter>
#include <QPolygon>

#include <vector>

namespace {

constexpr int kWarningSize = 14;
// How far a sign, with its gap and its smoothed edge, reaches from its figure's corner.
constexpr int kSignReach = kWarningSize + 8;
// The most texts whose check is kept.
constexpr std::size_t kMaxCheckedTexts = 1 << 16;

} // namespace

QRect CCanvasWidget::GetTextWarningRect(const CFigure& figure) const {
    const std::string* text = GetFigureTextOf(figure);
    if (!text || !figure.m_bVisible || !HasTextProblems(figure))
        return {};
    return TextWarningPlace(figure);
}

QRect CCanvasWidget::TextWarningPlace(const CFigure& figure) const {
    // Just outside the figure's top-right corner, clear of the selection handle there.
    const CRect r = figure.GetBoundingRect(m_pCanvas->GetZoom());
    const CPoint corner = m_pCanvas->AreaToClient(m_pCanvas->PageToArea({r.right, r.top}));
    return {corner.x + 4, corner.y - kWarningSize - 4, kWarningSize, kWarningSize};
}

CRect CCanvasWidget::GetMarksExtent(const CFigure& figure, const CRect& client) const {
    if (!GetFigureTextOf(figure))
        return client;
    // Wherever a sign may stand, whether the text has one now or not: a change of the text may
    // put one up or take it down. The sign's smoothed edge may reach a pixel beyond it.
    const QRect s = TextWarningPlace(figure).adjusted(-2, -2, 2, 2);
    return UnionRect(client, {s.left(), s.top(), s.right() + 1, s.bottom() + 1});
}

bool CCanvasWidget::HasTextProblems(const CFigure& figure) const {
    const std::string& text = *GetFigureTextOf(figure);
    if (const auto at = m_textProblems.find(text); at != m_textProblems.end())
        return at->second;
    // The texts of a drawing and its history are far fewer; this only bounds the memory.
    if (m_textProblems.size() >= kMaxCheckedTexts)
        m_textProblems.clear();
    return m_textProblems.emplace(text, !CheckLatexText(text).empty()).first->second;
}

void CCanvasWidget::PaintTextWarnings(QPainter& painter, const QRegion& region) const {
    const CFigureList& figures = m_pCanvas->GetFigures();
    // A sign stands just outside its figure's top-right corner, so the figures whose extent meets
    // the region grown by a sign and its margins are all that may have a sign there.
    const QRect grown =
        region.boundingRect().adjusted(-kSignReach, -kSignReach, kSignReach + 1, kSignReach + 1);
    const CPoint a = m_pCanvas->AreaToPage(m_pCanvas->ClientToArea({grown.left(), grown.top()}));
    const CPoint b =
        m_pCanvas->AreaToPage(m_pCanvas->ClientToArea({grown.right(), grown.bottom()}));
    m_pCanvas->FiguresMeeting({a.x, a.y, b.x, b.y}, m_signCandidates);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(kWarningSize - 4);
    painter.setFont(font);
    for (const int i : m_signCandidates) {
        const QRect r = GetTextWarningRect(*figures.GetAt(i));
        if (r.isEmpty())
            continue;
        const QPolygon sign({QPoint(r.center().x(), r.top()), r.bottomRight(), r.bottomLeft()});
        painter.setPen(QPen(QColor(120, 80, 0), 1));
        painter.setBrush(QColor(255, 200, 0));
        painter.drawPolygon(sign);
        painter.setPen(Qt::black);
        painter.drawText(r.adjusted(0, 3, 0, 0), Qt::AlignCenter, "!");
    }
    painter.restore();
}

QString CCanvasWidget::GetTextWarningAt(QPoint client) const {
    const CFigureList& figures = m_pCanvas->GetFigures();
    const CPoint page = m_pCanvas->AreaToPage(m_pCanvas->ClientToArea({client.x(), client.y()}));
    // The top figure first, as the canvas hit-tests.
    for (int i = figures.GetCount() - 1; i >= 0; --i) {
        const CFigure& f = *figures.GetAt(i);
        const QRect sign = GetTextWarningRect(f);
        if (sign.isEmpty())
            continue;
        const CRect r = f.GetBoundingRect(m_pCanvas->GetZoom());
        const bool inFigure =
            page.x >= r.left && page.x <= r.right && page.y >= r.top && page.y <= r.bottom;
        if (!sign.adjusted(-2, -2, 2, 2).contains(client) && !inFigure)
            continue;
        const std::vector<CTextProblem> problems = CheckLatexText(*GetFigureTextOf(f));
        return QString("LaTeX will not print this text as typed:\n%1\n(The text is saved as "
                       "typed.)")
            .arg(QString::fromStdString(DescribeTextProblems(problems)));
    }
    return {};
}
