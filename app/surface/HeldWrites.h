// CHeldWrites: the writes a batching surface holds back, and the helper thread that makes part of
// them while the painting thread goes on.
//
// The helper makes every published write that falls into the lower rows of the image (from split
// down), in order, and the writes that reach the rows above split are listed by band. When the
// writes are flushed, both threads take bands until none is left, each band getting all its writes
// in order. Every pixel is written by one thread, in the order its writes were asked for, so the
// image is the same as if one thread had made them all. The helper sleeps when it has nothing to
// do, and is stopped and joined when the held writes go.
#pragma once

#include "app/surface/PixelWriter.h"
#include "app/surface/TextCache.h"

#include <QPainter>
#include <QRectF>
#include <QString>

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

// A sequence that grows without moving what it holds, so that another thread can read the
// elements published to it while more are added.
template <class T> class CChunks {
public:
    static constexpr size_t kChunk = 4096, kMaxChunks = 1024;
    size_t Size() const { return m_nSize; }
    bool IsFull() const { return m_nSize == kChunk * kMaxChunks; }
    void Add(const T& v) {
        std::unique_ptr<T[]>& chunk = m_chunks[m_nSize / kChunk];
        if (!chunk)
            chunk = std::make_unique<T[]>(kChunk);
        chunk[m_nSize % kChunk] = v;
        ++m_nSize;
    }
    const T& operator[](size_t i) const { return m_chunks[i / kChunk][i % kChunk]; }
    void Clear() { m_nSize = 0; } // the chunks are kept for the next painting

private:
    std::array<std::unique_ptr<T[]>, kMaxChunks> m_chunks;
    size_t m_nSize = 0;
};

class CHeldWrites {
public:
    // A text to draw: the painting thread's layout, or the text for the helper's own.
    struct CText {
        const CTextCache::CText* laid = nullptr;
        const std::string* text = nullptr;
        QPointF at;     // where the line is drawn
        QRectF visible; // the clip, when clip
        bool clip = false;
    };
    // The image the writes go to, and what a painter of the helper's own needs to draw texts.
    struct CTarget {
        CPixelWriter writer;
        int tx = 0, ty = 0; // the painter's translation
        QImage::Format format = QImage::Format_RGB32;
        int dpmX = 0, dpmY = 0;
        QString font;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        int dpiX = 0, dpiY = 0;
        double ratio = 1.0; // device pixels a unit
        // Bands start on multiples of these rows, which are whole units: a band's clip for a
        // text is then whole device rows.
        int rowStep = 1;
    };

    // maxTexts bounds the helper's own layouts.
    explicit CHeldWrites(size_t maxTexts) : m_nMaxTexts(maxTexts) {}
    ~CHeldWrites();
    CHeldWrites(const CHeldWrites&) = delete;
    CHeldWrites& operator=(const CHeldWrites&) = delete;

    // Writes into target's image are held from now on, until End.
    void Begin(const CTarget& target);
    // Makes the writes held so far; textPainter gives the painting thread's painter, ready to draw
    // texts, or null when it cannot draw.
    void Flush(const std::function<QPainter*()>& textPainter);
    // Makes the writes and lets the image go.
    void End(const std::function<QPainter*()>& textPainter);

    bool IsFull() const { return m_ops.IsFull() || m_texts.IsFull(); }
    bool IsEmpty() const { return m_ops.Size() == 0; }
    void Add(const CWriteOp& op);
    // The index of the text for a text op.
    size_t AddText(const CText& text);

private:
    static constexpr long long kBands = 4;
    struct CHelperTexts;

    // Sets the helper thread on the writes about to be held, when there is one.
    void StartHelper();
    void Help(std::stop_token stop);
    // Makes the held ops index(first) .. index(last - 1), in that order, into the rows
    // [top, bottom); texts through helper on the helper thread, through textPainter otherwise.
    template <class Index>
    void Replay(size_t first, size_t last, Index index, long long top, long long bottom,
                CHelperTexts* helper, const std::function<QPainter*()>* textPainter);
    void ExecuteBand(size_t band, CHelperTexts* helper,
                     const std::function<QPainter*()>* textPainter);
    // A text op's line drawn by painter into the rows [top, bottom).
    void ExecuteText(const CWriteOp& op, long long top, long long bottom, QPainter& painter,
                     const QTextLine& line) const;

    size_t m_nMaxTexts;
    CTarget m_target;
    CChunks<CWriteOp> m_ops;
    CChunks<CText> m_texts;
    // The rows above the helper's, in bands; the ops that reach each band, in order.
    std::array<std::vector<unsigned>, kBands> m_bandOps;

    // The job, set by the painting thread before it wakes the helper.
    long long m_nSplit = 0;    // the helper follows rows split .. height
    long long m_nBandRows = 0; // rows in a band above split
    bool m_bRunning = false;   // the helper is on a job (the painting thread's view)
    // Ops the helper may read, with kClosed set once no more come and the bands are ready.
    static constexpr std::uint64_t kClosed = std::uint64_t(1) << 63;
    std::atomic<std::uint64_t> m_published{0};
    std::atomic<size_t> m_nextBand{0};
    std::atomic<bool> m_helperDone{true};

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    unsigned long long m_nJob = 0; // under m_mutex
    bool m_bTriedHelper = false;
    std::jthread m_helper; // last: stopped and joined before the rest goes
};
