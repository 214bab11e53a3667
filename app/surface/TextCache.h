// CTextCache: texts laid out once for a font. Shaping a text is the costly part of drawing it, and
// the same labels are drawn again on every frame. A text is laid out just as the painter lays out a
// centred single line: a line as wide as it needs at the top of the layout, its box as high as its
// ascent and descent.
#pragma once

#include <QFont>
#include <QRectF>
#include <QTextLayout>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class CTextCache {
public:
    struct CText {
        QTextLayout layout;
        qreal height = 0;
        QRectF ink; // where the glyphs may set pixels, from the top left of the layout
        const std::string* key = nullptr; // the text, as the cache keeps it
    };

    // Past maxTexts kept texts, the cache is emptied at the next Trim.
    explicit CTextCache(size_t maxTexts) : m_nMaxTexts(maxTexts) {}

    // The layout of text in font and direction, which stays until Trim; null for a text the
    // painter would change before laying it out (line breaks, tabs and other control
    // characters), which is drawn plainly.
    const CText* Get(const std::string& text, const QFont& font, Qt::LayoutDirection direction,
                     int dpiX, int dpiY);
    // Between paintings: keeps the layouts of the font last used only, and none when they are
    // more than the limit.
    void Trim();
    size_t GetTexts() const { return m_nTexts; }
    int GetDrops() const { return m_nDrops; }

private:
    // The layouts made for one font, direction and resolution.
    struct CFontTexts {
        QFont font;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        int dpiX = 0, dpiY = 0;
        std::unordered_map<std::string, std::unique_ptr<CText>> map;
    };
    CFontTexts& Select(const QFont& font, Qt::LayoutDirection direction, int dpiX, int dpiY);

    size_t m_nMaxTexts;
    std::vector<std::unique_ptr<CFontTexts>> m_sets;
    CFontTexts* m_pCurrent = nullptr;
    size_t m_nTexts = 0;
    int m_nDrops = 0;
};
