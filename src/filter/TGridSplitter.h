#pragma once
// A thin bar under a panel of fixed height; dragging it changes that height
// (not below the panel's minimum height).
#include <QWidget>

class TGridSplitter : public QWidget {
    Q_OBJECT
public:
    TGridSplitter(QWidget* target, int minHeight, QWidget* parent = nullptr);

    int MinHeight() const { return FMinHeight; }

    static constexpr int Thickness = 3;
    static constexpr QRgb Colour = 0xFFC0DCC0; // money green

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* FTarget;
    int FMinHeight;
    int FPressY = 0;
    int FPressHeight = 0;
};
