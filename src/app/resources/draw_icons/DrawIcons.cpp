// Draws the tool-bar pictures and the application icon into ../images, or
// with --theme the application icon in the PNG sizes of the hicolor theme
// (packaging/icons, the same picture as quillbrook.svg there).
// Not part of the build; after a change run:
//   g++ -std=c++20 -fPIC DrawIcons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/draw_icons
//   QT_QPA_PLATFORM=offscreen /tmp/draw_icons <path to src/app/resources/images>
//   QT_QPA_PLATFORM=offscreen /tmp/draw_icons --theme <path to packaging/icons>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cstdio>
#include <functional>

namespace {

using Draw = std::function<void(QPainter&)>;

// Every picture is drawn on a 32 x 32 grid and scaled to the image size.
void Save(const QString& folder, const QString& name, int size, const Draw& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    draw(p);
    p.end();
    if (!image.save(folder + "/" + name + ".png"))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
}

QPen Outline(const QColor& color, double width = 1.0) {
    QPen pen(color, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    return pen;
}

void Page(QPainter& p) {
    QPainterPath page;
    page.moveTo(7.5, 3.5);
    page.lineTo(19.5, 3.5);
    page.lineTo(25.5, 9.5);
    page.lineTo(25.5, 28.5);
    page.lineTo(7.5, 28.5);
    page.closeSubpath();
    QLinearGradient fill(7, 3, 25, 28);
    fill.setColorAt(0, QColor(255, 255, 255));
    fill.setColorAt(1, QColor(226, 232, 240));
    p.setPen(Outline(QColor(96, 110, 130)));
    p.setBrush(fill);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(19.5, 3.5);
    fold.lineTo(19.5, 9.5);
    fold.lineTo(25.5, 9.5);
    p.setBrush(QColor(208, 216, 226));
    p.drawPath(fold);
    p.setPen(Outline(QColor(170, 182, 198)));
    for (double y : {14.5, 18.5, 22.5})
        p.drawLine(QPointF(10.5, y), QPointF(22.5, y));
}

void NewIcon(QPainter& p) {
    Page(p);
    // A green plus: a new, empty filter.
    QRadialGradient ball(23, 22, 7);
    ball.setColorAt(0, QColor(120, 205, 110));
    ball.setColorAt(1, QColor(46, 139, 60));
    p.setPen(Outline(QColor(30, 100, 40)));
    p.setBrush(ball);
    p.drawEllipse(QPointF(23, 23), 6.5, 6.5);
    p.setPen(Outline(Qt::white, 2.2));
    p.drawLine(QPointF(23, 19.5), QPointF(23, 26.5));
    p.drawLine(QPointF(19.5, 23), QPointF(26.5, 23));
}

void Folder(QPainter& p) {
    QPainterPath back;
    back.moveTo(3.5, 8.5);
    back.lineTo(11.5, 8.5);
    back.lineTo(14.5, 11.5);
    back.lineTo(26.5, 11.5);
    back.lineTo(26.5, 26.5);
    back.lineTo(3.5, 26.5);
    back.closeSubpath();
    p.setPen(Outline(QColor(150, 105, 20)));
    p.setBrush(QColor(222, 170, 60));
    p.drawPath(back);
}

void OpenIcon(QPainter& p) {
    Folder(p);
    // A sheet sticking out of the folder.
    p.setPen(Outline(QColor(120, 130, 145)));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7.5, 6.5, 15, 14));
    p.setPen(Outline(QColor(170, 182, 198)));
    p.drawLine(QPointF(10, 10.5), QPointF(20, 10.5));
    p.drawLine(QPointF(10, 13.5), QPointF(20, 13.5));
    // The open front flap.
    QPainterPath front;
    front.moveTo(3.5, 26.5);
    front.lineTo(7.5, 15.5);
    front.lineTo(30.5, 15.5);
    front.lineTo(26.5, 26.5);
    front.closeSubpath();
    QLinearGradient fill(0, 15, 0, 27);
    fill.setColorAt(0, QColor(255, 222, 120));
    fill.setColorAt(1, QColor(240, 186, 70));
    p.setPen(Outline(QColor(150, 105, 20)));
    p.setBrush(fill);
    p.drawPath(front);
}

void Disk(QPainter& p, double shift = 0) {
    p.save();
    p.translate(shift, 0);
    QPainterPath body;
    body.moveTo(4.5, 4.5);
    body.lineTo(24.5, 4.5);
    body.lineTo(27.5, 7.5);
    body.lineTo(27.5, 27.5);
    body.lineTo(4.5, 27.5);
    body.closeSubpath();
    QLinearGradient fill(4, 4, 28, 28);
    fill.setColorAt(0, QColor(80, 130, 210));
    fill.setColorAt(1, QColor(36, 78, 150));
    p.setPen(Outline(QColor(24, 50, 100)));
    p.setBrush(fill);
    p.drawPath(body);
    // Shutter and label.
    p.setPen(Outline(QColor(110, 118, 128)));
    p.setBrush(QColor(214, 220, 228));
    p.drawRect(QRectF(9.5, 4.5, 13, 8));
    p.setBrush(QColor(60, 70, 84));
    p.setPen(Qt::NoPen);
    p.drawRect(QRectF(17, 6, 3, 5));
    p.setPen(Outline(QColor(150, 158, 170)));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8.5, 16.5, 15, 11), 1, 1);
    p.setPen(Outline(QColor(190, 200, 214)));
    p.drawLine(QPointF(11, 20.5), QPointF(21, 20.5));
    p.drawLine(QPointF(11, 23.5), QPointF(21, 23.5));
    p.restore();
}

void SaveIcon(QPainter& p) {
    Disk(p);
}

void SaveAsIcon(QPainter& p) {
    p.save();
    p.translate(-1.5, 0);
    p.scale(0.9, 0.9);
    Disk(p);
    p.restore();
    // A pencil writing a new name.
    p.save();
    p.translate(22, 20);
    p.rotate(45);
    p.setPen(Outline(QColor(120, 80, 10)));
    p.setBrush(QColor(250, 200, 60));
    p.drawRect(QRectF(-2.5, -11, 5, 15));
    p.setBrush(QColor(235, 140, 150));
    p.drawRect(QRectF(-2.5, -13.5, 5, 2.5));
    QPainterPath tip;
    tip.moveTo(-2.5, 4);
    tip.lineTo(2.5, 4);
    tip.lineTo(0, 9);
    tip.closeSubpath();
    p.setBrush(QColor(245, 222, 180));
    p.drawPath(tip);
    p.setBrush(QColor(50, 50, 50));
    p.setPen(Qt::NoPen);
    QPainterPath lead;
    lead.moveTo(-0.9, 7.2);
    lead.lineTo(0.9, 7.2);
    lead.lineTo(0, 9);
    lead.closeSubpath();
    p.drawPath(lead);
    p.restore();
}

void SearchIcon(QPainter& p) {
    // A rising price chart under a magnifying glass.
    p.setPen(Outline(QColor(110, 120, 110)));
    p.setBrush(QColor(250, 252, 246));
    p.drawRoundedRect(QRectF(2.5, 3.5, 22, 18), 1.5, 1.5);
    p.setPen(Outline(QColor(40, 150, 60), 1.8));
    p.drawPolyline(QPolygonF(
        {QPointF(5, 18), QPointF(9, 13), QPointF(13, 15), QPointF(17, 8), QPointF(22, 6)}));
    QRadialGradient glass(18, 18, 8);
    glass.setColorAt(0, QColor(230, 244, 255, 200));
    glass.setColorAt(1, QColor(150, 200, 240, 170));
    p.setPen(Outline(QColor(60, 70, 84), 2.4));
    p.setBrush(glass);
    p.drawEllipse(QPointF(18, 18), 6.5, 6.5);
    p.setPen(Outline(QColor(120, 70, 30), 4));
    p.drawLine(QPointF(23, 23), QPointF(29, 29));
}

void AboutIcon(QPainter& p) {
    QRadialGradient ball(13, 11, 16);
    ball.setColorAt(0, QColor(120, 170, 240));
    ball.setColorAt(1, QColor(30, 80, 170));
    p.setPen(Outline(QColor(20, 55, 120)));
    p.setBrush(ball);
    p.drawEllipse(QPointF(16, 16), 12.5, 12.5);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(16, 9.5), 2.2, 2.2);
    p.drawRoundedRect(QRectF(14, 13.5, 4, 11), 1.2, 1.2);
    p.drawRect(QRectF(12.5, 13.5, 3, 2));
    p.drawRect(QRectF(12.5, 22.5, 7, 2));
}

void AppIcon(QPainter& p) {
    // A green tile with a rising line and a quill.
    QLinearGradient tile(0, 1, 0, 31);
    tile.setColorAt(0, QColor(255, 250, 228));
    tile.setColorAt(1, QColor(170, 222, 160));
    p.setPen(Outline(QColor(60, 130, 60)));
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1.5, 1.5, 29, 29), 6, 6);
    p.setPen(Outline(QColor(40, 140, 60), 2.2));
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
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("--theme")) {
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            Save(QString::fromLocal8Bit(argv[2]), QString("quillbrook-%1").arg(size), size,
                 AppIcon);
        return 0;
    }
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    Save(folder, "new", 32, NewIcon);
    Save(folder, "open", 32, OpenIcon);
    Save(folder, "save", 32, SaveIcon);
    Save(folder, "saveas", 32, SaveAsIcon);
    Save(folder, "search", 32, SearchIcon);
    Save(folder, "about", 32, AboutIcon);
    Save(folder, "quillbrook32", 32, AppIcon);
    Save(folder, "quillbrook64", 64, AppIcon);
    return 0;
}
