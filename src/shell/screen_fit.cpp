#include "shell/screen_fit.h"

#include <QScreen>
#include <QScrollBar>
#include <QStyle>

namespace brambex {

FittingScrollArea::FittingScrollArea(QWidget* parent) : QScrollArea(parent) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
}

QSize FittingScrollArea::sizeHint() const {
    if (!widget())
        return QScrollArea::sizeHint();
    const int frame = 2 * frameWidth();
    // Room for the vertical bar, so that a scrolled view does not cover its right edge.
    return widget()->sizeHint() + QSize(frame + verticalScrollBar()->sizeHint().width(), frame);
}

void FitToScreen(QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen)
        return;
    QSize room = screen->availableGeometry().size();
    // Before it is first shown a window has no frame yet: a caption's height is allowed
    // for.
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (frame.isEmpty())
        room -= QSize(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    else
        room -= frame;
    window->resize(window->sizeHint().boundedTo(room));
}

}  // namespace brambex
