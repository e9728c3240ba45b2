#include "app/GradientBar.h"

#include <QLinearGradient>
#include <QPainter>

TGradientBar::TGradientBar(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor TGradientBar::TopColor() {
    return QColor(0xFF, 0xFB, 0xE8);
}
QColor TGradientBar::BottomColor() {
    return QColor(0xC8, 0xE8, 0xC0);
}

void TGradientBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient gradient(0, 0, 0, height());
    gradient.setColorAt(0, TopColor());
    gradient.setColorAt(1, BottomColor());
    painter.fillRect(rect(), gradient);
    // A darker line sets the bar off from the tab area.
    painter.setPen(QColor(0x9C, 0xC4, 0x94));
    painter.drawLine(0, height() - 1, width(), height() - 1);
}
