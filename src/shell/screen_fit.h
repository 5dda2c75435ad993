// Windows that fit the screen at any scale: a scroll area that asks for the whole of
// what it holds, so a window shows everything where the screen has room and scrolls
// where it has not, and the cap of a window's size to the screen it opens on.
#pragma once

#include <QScrollArea>

namespace brambex {

class FittingScrollArea : public QScrollArea {
  public:
    explicit FittingScrollArea(QWidget* parent);
    // The widget's whole size (QScrollArea's own hint stops at a few dozen lines).
    QSize sizeHint() const override;
};

// Resizes the window to its size hint, capped to the available part of its screen
// less the frame the window system puts around it, and moves it where it lies
// inside that part.
void FitToScreen(QWidget* window);

}  // namespace brambex
