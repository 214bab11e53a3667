#include "app/surface/TextCache.h"

#include <QGlyphRun>
#include <QTextLine>

CTextCache::CFontTexts& CTextCache::Select(const QFont& font, Qt::LayoutDirection direction,
                                           int dpiX, int dpiY) {
    const auto matches = [&](const CFontTexts& s) {
        return s.font == font && s.direction == direction && s.dpiX == dpiX && s.dpiY == dpiY;
    };
    if (m_pCurrent && matches(*m_pCurrent))
        return *m_pCurrent;
    for (const std::unique_ptr<CFontTexts>& s : m_sets)
        if (matches(*s))
            return *(m_pCurrent = s.get());
    m_pCurrent = m_sets.emplace_back(std::make_unique<CFontTexts>()).get();
    m_pCurrent->font = font;
    m_pCurrent->direction = direction;
    m_pCurrent->dpiX = dpiX;
    m_pCurrent->dpiY = dpiY;
    return *m_pCurrent;
}

void CTextCache::Trim() {
    if (m_nTexts > m_nMaxTexts) {
        m_sets.clear();
        m_pCurrent = nullptr;
        m_nTexts = 0;
        ++m_nDrops;
        return;
    }
    if (m_sets.size() > 1) {
        std::erase_if(m_sets, [&](const std::unique_ptr<CFontTexts>& s) {
            if (s.get() == m_pCurrent)
                return false;
            m_nTexts -= s->map.size();
            return true;
        });
        ++m_nDrops;
    }
}

const CTextCache::CText* CTextCache::Get(const std::string& text, const QFont& font,
                                         Qt::LayoutDirection direction, int dpiX, int dpiY) {
    CFontTexts& set = Select(font, direction, dpiX, dpiY);
    auto it = set.map.find(text);
    if (it != set.map.end())
        return it->second.get();
    const auto added = set.map.try_emplace(text).first;
    ++m_nTexts;
    std::unique_ptr<CText>& entry = added->second;
    const QString s = QString::fromUtf8(text);
    for (const QChar c : s)
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F) ||
            c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            return nullptr;
    entry = std::make_unique<CText>();
    entry->key = &added->first;
    entry->layout.setText(s);
    entry->layout.setFont(font);
    QTextOption option;
    option.setTextDirection(direction);
    option.setAlignment(Qt::AlignLeft);
    entry->layout.setTextOption(option);
    entry->layout.setCacheEnabled(true);
    entry->layout.beginLayout();
    QTextLine line = entry->layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(0x01000000);
        line.setPosition(QPointF(0, 0));
        entry->height = line.ascent() + line.descent();
    }
    const bool single = line.isValid() && !entry->layout.createLine().isValid();
    entry->layout.endLayout();
    // The outlines' box, grown for the pixels that hinting and smoothing add at its rim.
    for (const QGlyphRun& run : entry->layout.glyphRuns())
        entry->ink |= run.boundingRect();
    entry->ink.adjust(-3, -3, 3, 3);
    if (!single)
        entry.reset();
    return entry.get();
}
