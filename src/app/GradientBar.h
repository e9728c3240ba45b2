#pragma once
// The tool bar's background: a vertical gradient from cream to light green.
#include <QColor>
#include <QWidget>

class TGradientBar : public QWidget {
    Q_OBJECT
public:
    explicit TGradientBar(QWidget* parent = nullptr);

    static QColor TopColor();
    static QColor BottomColor();

protected:
    void paintEvent(QPaintEvent* event) override;
};
