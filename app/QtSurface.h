// The canvas's draw surface over a QPainter lives in app/surface/, one file per job.
#pragma once

#include "app/surface/QtSurface.h"
