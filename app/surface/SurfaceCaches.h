// CSurfaceCaches: what one window's paintings keep for the next (flattened curves, laid-out texts,
// wide-pen footprints, what the painter itself drew, decoded pictures) and the held writes with
// their helper thread. The window that paints owns one; the surfaces it makes borrow it, one
// painting (frame) at a time. Entries are only ever added while a frame is open, so a held write
// can point into them; a cache past its limit is emptied when the frame closes.
#pragma once

#include "app/ImageCache.h"
#include "app/surface/CurveCache.h"
#include "app/surface/FootprintCache.h"
#include "app/surface/HeldWrites.h"
#include "app/surface/PainterCallCache.h"
#include "app/surface/TextAt.h"
#include "app/surface/TextCache.h"

#include <QImage>

#include <cstddef>

class CSurfaceCaches {
public:
    // How much each cache keeps between frames; tests make them small.
    struct CLimits {
        size_t footprintRows = size_t(4) << 20;
        size_t curvePoints = size_t(4) << 20;
        size_t painterRuns = size_t(4) << 20;
        size_t texts = 8192;
    };

    CSurfaceCaches() : CSurfaceCaches(CLimits()) {}
    explicit CSurfaceCaches(const CLimits& limits)
        : m_footprints(limits.footprintRows), m_curves(limits.curvePoints),
          m_painterCalls(limits.painterRuns), m_texts(limits.texts), m_textsAt(limits.texts),
          m_held(limits.texts) {}
    CSurfaceCaches(const CSurfaceCaches&) = delete;
    CSurfaceCaches& operator=(const CSurfaceCaches&) = delete;

    // A surface opens a frame when it starts and closes it when its writes are made; frames may
    // nest (a second surface on the same caches), and the caches are trimmed when the last closes.
    void OpenFrame() { ++m_nOpenFrames; }
    void CloseFrame();
    // The held writes, for one surface at a time; null while another surface holds them.
    CHeldWrites* TakeHeldWrites();
    void GiveBackHeldWrites() { m_bHeldTaken = false; }

    CFootprintCache& Footprints() { return m_footprints; }
    CCurveCache& Curves() { return m_curves; }
    CPainterCallCache& PainterCalls() { return m_painterCalls; }
    CTextCache& Texts() { return m_texts; }
    CTextAtCache& TextsAt() { return m_textsAt; }
    CImageCache& Images() { return m_images; }
    // An image of the window's size that a painting of what changed is made in before the
    // changed rectangles are copied out; what it holds between paintings means nothing.
    QImage& DamageImage() { return m_damageImage; }

private:
    CFootprintCache m_footprints;
    CCurveCache m_curves;
    CPainterCallCache m_painterCalls;
    CTextCache m_texts;
    CTextAtCache m_textsAt;
    CImageCache m_images;
    QImage m_damageImage;
    int m_nOpenFrames = 0;
    bool m_bHeldTaken = false;
    CHeldWrites m_held; // last: its helper thread is joined before the caches go
};
