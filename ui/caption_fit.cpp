#include "ui/caption_fit.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <limits>

namespace {

constexpr double scale_step = 0.05;
constexpr double largest_scale = 4.0;

// The room the style keeps around a button's text.
QSize button_padding(const QWidget* button)
{
    const int frame = button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    return {2 * (frame + margin), 2 * frame};
}

}  // namespace

bool caption_fits(const QWidget* control, const QString& text, QSize size)
{
    const QFontMetrics metrics(control->font());
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label && label->wordWrap()) {
        const QRect wrapped =
            metrics.boundingRect(QRect(0, 0, size.width(), std::numeric_limits<int>::max() / 2), Qt::TextWordWrap, text);
        return wrapped.width() <= size.width() && wrapped.height() <= size.height();
    }
    const QSize padding = qobject_cast<const QPushButton*>(control) ? button_padding(control) : QSize();
    return metrics.horizontalAdvance(text) + padding.width() <= size.width() &&
           metrics.height() + padding.height() <= size.height();
}

double scale_to_fit(const std::vector<Caption>& captions, int dpi)
{
    const auto all_fit = [&captions, dpi](double scale) {
        return std::all_of(captions.begin(), captions.end(), [dpi, scale](const Caption& caption) {
            return caption_fits(caption.control, caption.text, to_pixels(caption.place, dpi, scale).size());
        });
    };
    double scale = 1.0;
    while (scale < largest_scale && !all_fit(scale))
        scale += scale_step;
    return scale;
}
