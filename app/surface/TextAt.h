// Text at a point with one of TeXDraw's reference points on it, turned about it: the painter's
// way of drawing a label, shared by the surfaces that paint with a QPainter.
#pragma once

#include <QPainter>
#include <QPointF>
#include <string>

// Draws text (UTF-8, one line, black) with its reference point (hAlign L/C/R, vAlign T/C/B, B
// the baseline) on the device point `at`, turned counterclockwise by degrees, in the painter's
// font at pixelSize device pixels.
void PaintTextAt(QPainter& painter, QPointF at, const std::string& text, char hAlign, char vAlign,
                 double degrees, double pixelSize);
