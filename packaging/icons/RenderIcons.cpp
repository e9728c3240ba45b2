// Draws the application icon into the PNG sizes of the hicolor theme, the
// same picture as quillbrook.svg.  Not part of the build; after a change run:
//   g++ -std=c++20 -fPIC RenderIcons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/render_icons
//   QT_QPA_PLATFORM=offscreen /tmp/render_icons <path to packaging/icons>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>

namespace {

QPen Outline(const QColor& color, double width = 1.0) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void AppIcon(QPainter& p) {
    QLinearGradient tile(0, 1, 0, 31);
    tile.setColorAt(0, QColor(255, 250, 228));
    tile.setColorAt(1, QColor(170, 222, 160));
    p.setPen(Outline(QColor(60, 130, 60)));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    p.setPen(Outline(QColor(40, 140, 60), 2.2));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(5, 25), QPointF(10, 19), QPointF(14, 21), QPointF(20, 13)}));
    QPainterPath feather;
    feather.moveTo(27, 4);
    feather.cubicTo(21, 5, 15, 12, 13, 21);
    feather.cubicTo(19, 18, 25, 12, 27, 4);
    QLinearGradient vane(13, 21, 27, 4);
    vane.setColorAt(0, QColor(70, 90, 150));
    vane.setColorAt(1, QColor(130, 160, 220));
    p.setPen(Outline(QColor(40, 55, 110)));
    p.setBrush(vane);
    p.drawPath(feather);
    p.setPen(Outline(QColor(40, 55, 110), 1.3));
    p.drawLine(QPointF(26, 5), QPointF(11, 27));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: render_icons FOLDER\n");
        return 2;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        AppIcon(p);
        p.end();
        const QString name = QString("%1/quillbrook-%2.png").arg(argv[1]).arg(size);
        if (!image.save(name)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
            return 1;
        }
    }
    return 0;
}
