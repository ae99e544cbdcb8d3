#pragma once

class QWidget;

namespace morvane {

// The windows place their controls at fixed pixel positions and sizes. A desktop font wider
// than the one the layout was drawn for would clip captions, so the window's font is made
// smaller, pixel by pixel (down to a readable 9 pixels), until the caption of every label,
// option button and push button in it fits its control.
void FitFontToCaptions(QWidget& window);

}  // namespace morvane
