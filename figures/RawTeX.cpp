#include "figures/RawTeX.h"

std::unique_ptr<CFigure> CRawTeXFigure::Clone() const {
    auto copy = std::make_unique<CRawTeXFigure>();
    copy->CopyFrom(*this);
    return copy;
}

void CRawTeXFigure::CopyFrom(const CFigure& src) {
    if (const auto* raw = dynamic_cast<const CRawTeXFigure*>(&src))
        m_strText = raw->m_strText;
    CFigure::CopyFrom(src);
}

void CRawTeXFigure::AppendTeX(std::string& out) const {
    out += m_strText;
}
