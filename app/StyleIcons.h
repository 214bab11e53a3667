// The pictures of the style dock's buttons: a line of each preset width, each line pattern, where
// the arrowheads sit and the five arrowhead types. Each is drawn with QPainter at 1x and 2x, so
// that it stays sharp on a screen with twice the pixels.
#pragma once

#include <QIcon>
#include <QSize>

#include <functional>
#include <vector>

class QPainter;

// The logical size of every style picture.
inline constexpr QSize kStyleIconSize{28, 16};

// An icon holding the picture drawn at 1x and at 2x; draw paints in logical pixels of size.
QIcon MakeDrawnIcon(QSize size, const std::function<void(QPainter&)>& draw);

// A horizontal line as wide as points at the screen's 96 dpi.
QIcon MakeLineWidthIcon(double points);
// A line of the pattern (lengths in page units, empty for solid).
QIcon MakeLinePatternIcon(const std::vector<double>& pattern);
// A line with heads at its start, its end, both or neither.
QIcon MakeHeadEndsIcon(bool start, bool end);
// A line ending in a head of the type ('F', 'T', 'W', 'V' or 'H').
QIcon MakeHeadTypeIcon(char type);
