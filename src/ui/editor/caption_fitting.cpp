#include "ui/editor/caption_fitting.h"

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <algorithm>

namespace morvane {

namespace {

// Below this a caption is no longer readable; it is clipped rather than made smaller.
constexpr int kSmallestFontPixels = 9;
// The frame and padding a push button keeps around its caption.
constexpr int kButtonPadding = 6;

// The width a control's caption takes, with what its control draws beside it.
int CaptionWidth(const QWidget& control) {
    const QFontMetrics metrics = control.fontMetrics();
    if (const auto* option = qobject_cast<const QRadioButton*>(&control)) {
        return option->style()->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, option) +
               option->style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, option) +
               metrics.horizontalAdvance(option->text());
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&control)) {
        // "&" marks the access key and is not drawn.
        return metrics.horizontalAdvance(QString(button->text()).remove(QLatin1Char('&'))) +
               kButtonPadding;
    }
    if (const auto* label = qobject_cast<const QLabel*>(&control)) {
        return metrics.horizontalAdvance(label->text());
    }
    return 0;
}

bool CaptionsFit(const QWidget& window) {
    const QList<QWidget*> controls = window.findChildren<QWidget*>();
    return std::all_of(controls.begin(), controls.end(), [](const QWidget* control) {
        return CaptionWidth(*control) <= control->width() &&
               (CaptionWidth(*control) == 0 ||
                control->fontMetrics().height() <= control->height());
    });
}

}  // namespace

void FitFontToCaptions(QWidget& window) {
    QFont font = window.font();
    for (int pixels = QFontInfo(font).pixelSize() - 1;
         !CaptionsFit(window) && pixels >= kSmallestFontPixels; --pixels) {
        font.setPixelSize(pixels);
        window.setFont(font);
    }
}

}  // namespace morvane
