#include "filter/TGridSplitter.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

TGridSplitter::TGridSplitter(QWidget* target, int minHeight, QWidget* parent)
    : QWidget(parent), FTarget(target), FMinHeight(minHeight) {
    setFixedHeight(Thickness);
    setCursor(Qt::SizeVerCursor);
}

void TGridSplitter::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    FPressY = event->globalPosition().toPoint().y();
    FPressHeight = FTarget->height();
}

void TGridSplitter::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton))
        return;
    int height = FPressHeight + event->globalPosition().toPoint().y() - FPressY;
    // The bar stays inside its parent.
    if (parentWidget())
        height = std::min(height, parentWidget()->height() - Thickness);
    FTarget->setFixedHeight(std::max(FMinHeight, height));
}

void TGridSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(Colour));
}
