#include "app/surface/HeldWrites.h"

#include <QTextLine>

#include <algorithm>
#include <optional>
#include <system_error>

namespace {

// Images with fewer rows are painted by the painting thread alone.
constexpr int kHelperRows = 128;
// Held ops this far ahead have what they read first asked for early.
constexpr unsigned kOpsAhead = 6;
// The sleeping helper is woken after this many ops, not for each: waking it costs the painting
// thread a system call, far more than an op, and the helper catches up in no time.
constexpr size_t kWakeEvery = 1024;

} // namespace

// The helper's own painter over the same pixels, and its own layouts in its own font: a font and
// its glyph caches belong to one thread.
struct CHeldWrites::CHelperTexts {
    CHeldWrites& held;
    CTextCache& layouts;
    const QFont& font;
    QImage view;
    std::optional<QPainter> painter;

    void Draw(const CWriteOp& op, long long top, long long bottom) {
        const CTarget& t = held.m_target;
        if (!painter) {
            view = QImage(t.writer.GetBits(), t.writer.GetWidth(), t.writer.GetHeight(),
                          t.writer.GetStride(), t.format);
            view.setDotsPerMeterX(t.dpmX);
            view.setDotsPerMeterY(t.dpmY);
            view.setDevicePixelRatio(t.ratio);
            painter.emplace(&view);
            painter->translate(t.tx, t.ty);
            painter->setRenderHint(QPainter::Antialiasing, false);
            painter->setRenderHint(QPainter::TextAntialiasing, true);
            painter->setFont(font);
            painter->setLayoutDirection(t.direction);
            painter->setPen(Qt::black);
            painter->setBackgroundMode(Qt::TransparentMode);
        }
        const CTextCache::CText* laid =
            layouts.Get(*held.m_texts[op.text].text, painter->font(), t.direction, t.dpiX, t.dpiY);
        if (laid)
            held.ExecuteText(op, top, bottom, *painter, laid->layout.lineAt(0));
    }
};

// The helper is between jobs (every job ends in Flush); the thread's own destructor, which runs
// first, stops and joins it.
CHeldWrites::~CHeldWrites() = default;

void CHeldWrites::Begin(const CTarget& target) {
    m_target = target;
}

void CHeldWrites::End(const std::function<QPainter*()>& textPainter) {
    Flush(textPainter);
    m_target = CTarget();
}

size_t CHeldWrites::AddText(const CText& text) {
    m_texts.Add(text);
    return m_texts.Size() - 1;
}

void CHeldWrites::Add(const CWriteOp& op) {
    if (m_ops.Size() == 0)
        StartHelper();
    if (!m_bRunning) {
        m_ops.Add(op);
        return;
    }
    // Listed under the bands above the helper's rows that it reaches.
    const auto index = static_cast<unsigned>(m_ops.Size());
    const long long end = std::min<long long>(op.bottom, m_nSplit);
    for (long long b = op.top / m_nBandRows; op.top < end && b * m_nBandRows < end; ++b)
        m_bandOps[b].push_back(index);
    m_ops.Add(op);
    m_published.store(m_ops.Size(), std::memory_order_release);
    if (m_ops.Size() % kWakeEvery == 0)
        m_published.notify_one();
}

void CHeldWrites::Flush(const std::function<QPainter*()>& textPainter) {
    const size_t count = m_ops.Size();
    if (count == 0)
        return;
    if (!m_bRunning) {
        // Alone: every op over the whole image, in order.
        Replay(
            0, count, [](size_t i) { return i; }, 0, m_target.writer.GetHeight(), nullptr,
            &textPainter);
    } else {
        // The helper makes the rows it followed, then both threads take the bands above them.
        m_published.store(count | kClosed, std::memory_order_release);
        m_published.notify_one();
        for (size_t b = m_nextBand.fetch_add(1); b < kBands; b = m_nextBand.fetch_add(1))
            ExecuteBand(b, nullptr, &textPainter);
        m_helperDone.wait(false, std::memory_order_acquire);
        m_bRunning = false;
        for (std::vector<unsigned>& band : m_bandOps)
            band.clear();
    }
    m_ops.Clear();
    m_texts.Clear();
}

void CHeldWrites::ExecuteBand(size_t band, CHelperTexts* helper,
                              const std::function<QPainter*()>* textPainter) {
    const long long top = static_cast<long long>(band) * m_nBandRows;
    const long long bottom = std::min<long long>(top + m_nBandRows, m_nSplit);
    const std::vector<unsigned>& ops = m_bandOps[band];
    Replay(
        0, ops.size(), [&ops](size_t k) { return ops[k]; }, top, bottom, helper, textPainter);
}

template <class Index>
void CHeldWrites::Replay(size_t first, size_t last, Index index, long long top, long long bottom,
                         CHelperTexts* helper, const std::function<QPainter*()>* textPainter) {
    const CPixelWriter& writer = m_target.writer;
    for (size_t k = first; k < last; ++k) {
        // What an op a few places on reads is asked for now: the op itself two steps ahead, its
        // rows or runs one step ahead, once the op is at hand. They lie all over memory, and
        // each would otherwise be waited for in turn.
        if (k + 2 * kOpsAhead < last)
            __builtin_prefetch(&m_ops[index(k + 2 * kOpsAhead)]);
        if (k + kOpsAhead < last)
            writer.Prefetch(m_ops[index(k + kOpsAhead)], top);
        const CWriteOp& op = m_ops[index(k)];
        if (op.kind != CWriteOp::EKind::Text) {
            writer.Execute(op, top, bottom);
            continue;
        }
        const long long from = std::max<long long>(top, op.top);
        const long long to = std::min<long long>(bottom, op.bottom);
        if (from >= to)
            continue;
        if (helper) {
            helper->Draw(op, from, to);
        } else if (QPainter* painter = (*textPainter)()) {
            ExecuteText(op, from, to, *painter, m_texts[op.text].laid->layout.lineAt(0));
        }
    }
}

void CHeldWrites::ExecuteText(const CWriteOp& op, long long top, long long bottom,
                              QPainter& painter, const QTextLine& line) const {
    const CText& t = m_texts[op.text];
    if (!t.clip && top == op.top && bottom == op.bottom) {
        line.draw(&painter, t.at);
        return;
    }
    // Drawn once for each band it reaches, cut to the band (whole units, in the painter's).
    const double ratio = m_target.ratio;
    QRectF clip(-m_target.tx, top / ratio - m_target.ty, m_target.writer.GetWidth() / ratio,
                (bottom - top) / ratio);
    if (t.clip)
        clip = clip.intersected(t.visible);
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    line.draw(&painter, t.at);
    painter.restore();
}

void CHeldWrites::StartHelper() {
    // A few rows are not worth handing over.
    const int height = m_target.writer.GetHeight();
    if (height < kHelperRows)
        return;
    if (!m_bTriedHelper) {
        m_bTriedHelper = true;
        if (std::thread::hardware_concurrency() >= 2) {
            try {
                m_helper = std::jthread([this](std::stop_token stop) { Help(stop); });
            } catch (const std::system_error&) {
                // No thread to be had: the painting thread makes every write itself.
            }
        }
    }
    if (!m_helper.joinable())
        return;
    const long long step = m_target.rowStep;
    m_nSplit = height / 2 / step * step;
    m_nBandRows = ((m_nSplit + kBands - 1) / kBands + step - 1) / step * step;
    m_published.store(0, std::memory_order_relaxed);
    m_nextBand.store(0, std::memory_order_relaxed);
    m_helperDone.store(false, std::memory_order_relaxed);
    m_bRunning = true;
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        ++m_nJob;
    }
    m_wake.notify_one();
}

void CHeldWrites::Help(std::stop_token stop) {
    unsigned long long seen = 0;
    CTextCache layouts(m_nMaxTexts);
    QString fontKey;
    QFont base;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (!m_wake.wait(lock, stop, [&] { return m_nJob != seen; }))
                return; // stopped
            seen = m_nJob;
        }
        // The helper's layouts are only used while it draws, so they may go between any two jobs.
        layouts.Trim();
        if (m_target.font != fontKey || fontKey.isEmpty()) {
            fontKey = m_target.font;
            base = QFont();
            base.fromString(fontKey);
        }
        CHelperTexts texts{*this, layouts, base, {}, {}};
        const long long height = m_target.writer.GetHeight();
        size_t i = 0;
        for (;;) {
            const std::uint64_t state = m_published.load(std::memory_order_acquire);
            const size_t n = static_cast<size_t>(state & ~kClosed);
            Replay(
                i, n, [](size_t k) { return k; }, m_nSplit, height, &texts, nullptr);
            i = n;
            if (state & kClosed)
                break;
            m_published.wait(state, std::memory_order_acquire);
        }
        for (size_t b = m_nextBand.fetch_add(1); b < kBands; b = m_nextBand.fetch_add(1))
            ExecuteBand(b, &texts, nullptr);
        texts.painter.reset();
        m_helperDone.store(true, std::memory_order_release);
        m_helperDone.notify_one();
    }
}
