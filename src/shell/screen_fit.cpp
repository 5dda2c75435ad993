#include "shell/screen_fit.h"

#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

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
    // The style's fonts and margins make the size: asked before the window is first
    // shown, the hint is the unpolished one, too small.
    window->ensurePolished();
    // A scroll area does not hear that what it holds has grown: the window's layout
    // keeps its first hint until told.
    for (QScrollArea* area : window->findChildren<QScrollArea*>())
        area->updateGeometry();
    if (window->layout())
        window->layout()->activate();
    const QRect available = screen->availableGeometry();
    QSize room = available.size();
    // Before it is first shown a window has no frame yet: a caption's height is allowed
    // for.
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    if (frame.isEmpty())
        room -= QSize(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight));
    else
        room -= frame;
    const QSize size = window->sizeHint().boundedTo(room);
    window->resize(size);
    // Placed before it was fitted, it may now reach past the screen's edge.
    const QSize outer = size + (available.size() - room);
    QPoint at = window->pos();
    at.setX(std::max(available.left(), std::min(at.x(), available.right() + 1 - outer.width())));
    at.setY(std::max(available.top(), std::min(at.y(), available.bottom() + 1 - outer.height())));
    window->move(at);
}

}  // namespace brambex
