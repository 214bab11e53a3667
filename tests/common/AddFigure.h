// Adds a figure of type T spanning the two points (at zoom 1) to a list and returns it.
#pragma once

#include "figures/FigureList.h"

#include <memory>

template <class T> T& AddFigure(CFigureList& list, int x1, int y1, int x2, int y2) {
    auto f = std::make_unique<T>();
    f->SetPoints(x1, y1, x2, y2, 1.0);
    T& ref = *f;
    list.Add(std::move(f));
    return ref;
}
