#include "app/surface/SurfaceCaches.h"

void CSurfaceCaches::CloseFrame() {
    if (--m_nOpenFrames > 0)
        return;
    m_footprints.Trim();
    m_curves.Trim();
    m_painterCalls.Trim();
    m_texts.Trim();
    m_textsAt.Trim();
}

CHeldWrites* CSurfaceCaches::TakeHeldWrites() {
    if (m_bHeldTaken)
        return nullptr;
    m_bHeldTaken = true;
    return &m_held;
}
