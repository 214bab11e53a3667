// CPixelWriter: writes straight into a 32-bit image's scan lines what the painter would set there:
// filled rectangles, one-pixel walks, walks kept as offsets, wide segments' footprints and runs of
// pixels. A write can be made for a band of rows only, so that two threads can share an image.
#pragma once

#include "app/surface/FootprintCache.h"
#include "app/surface/PixelTypes.h"

#include <QImage>

#include <cstdint>

// One write into the image: what it sets, and the rows it may touch.
struct CWriteOp {
    enum class EKind : std::uint8_t {
        Fill,      // a rectangle of pixels
        Walk,      // a one-pixel segment, end left out
        Offsets,   // pixels at offsets from a first one
        Footprint, // a wide segment's footprint rows
        Runs,      // runs of pixels, sorted by row
        Text,      // a laid-out text, drawn by a painter (held writes only)
    };
    EKind kind = EKind::Fill;
    bool dotted = false; // Walk: every other pixel
    // Walk: both ends in the image; Footprint and Runs: every run within the columns.
    bool whole = false;
    QRgb color = 0;
    int top = 0, bottom = 0; // the image rows it may write, bottom exclusive
    union {
        struct {
            int left, right; // image columns, right exclusive
        } fill;
        struct {
            int ax, ay, bx, by;       // drawing coordinates
            long long shiftX, shiftY; // drawing coordinates to image pixels
            int left, right;          // the image columns that may be written
        } walk;
        struct {
            QRgb* first;
            const std::int32_t* offsets;
            size_t count;
        } pixels;
        struct {
            long long x, top; // the image pixel the rows are relative to, and the first row's row
            const CFootprint::CRun* rows;
            size_t count;
            long long left, right; // the image columns that may be written
        } footprint;
        struct {
            long long x, y; // the image pixel the runs are relative to
            const CPixelRun* runs;
            size_t count;
            long long left, right; // the image columns that may be written
        } runs;
        size_t text; // index into the held texts
    };
    CWriteOp() : fill{0, 0} {}
};

class CPixelWriter {
public:
    CPixelWriter() = default;
    explicit CPixelWriter(QImage& image)
        : m_pBits(image.bits()), m_nStride(image.bytesPerLine()), m_nWidth(image.width()),
          m_nHeight(image.height()) {}

    bool IsValid() const { return m_pBits != nullptr; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    qsizetype GetStride() const { return m_nStride; }
    uchar* GetBits() const { return m_pBits; }
    QRgb* Row(long long y) const { return reinterpret_cast<QRgb*>(m_pBits + y * m_nStride); }

    // Op's writes into the image rows [top, bottom); a text op writes nothing here.
    void Execute(const CWriteOp& op, long long top, long long bottom) const;
    // Asks for what op reads first in rows from top on.
    void Prefetch(const CWriteOp& op, long long top) const;

private:
    uchar* m_pBits = nullptr;
    qsizetype m_nStride = 0;
    int m_nWidth = 0, m_nHeight = 0;
};
