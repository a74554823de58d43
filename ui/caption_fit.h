#pragma once

#include "ui/twips_layout.h"

#include <QString>

#include <vector>

class QWidget;

// A fixed text and the control and place the design gives it.
struct Caption {
    const QWidget* control;
    QString text;
    TwipsRect place;
};

// Whether `text` shows whole in `control` at `size`, in the control's font,
// wrapped where the control wraps.
bool caption_fits(const QWidget* control, const QString& text, QSize size);

// The smallest scale, from 1 up, at which every caption fits its place at
// `dpi`, so a font wider than the design's grows the window rather than
// clip a word.
double scale_to_fit(const std::vector<Caption>& captions, int dpi);
