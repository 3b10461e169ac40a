#include "gradient_panel.h"

#include <QLinearGradient>
#include <QPainter>

namespace kvo::admin {

GradientPanel::GradientPanel(QColor top, QColor bottom, QColor line, Edge edge, QWidget *parent)
    : QWidget(parent), top_(top), bottom_(bottom), line_(line), edge_(edge) {}

void GradientPanel::paintEvent(QPaintEvent *) {
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, top_);
    g.setColorAt(1, bottom_);
    p.fillRect(rect(), g);
    p.setPen(line_);
    const int y = edge_ == Edge::Top ? 0 : height() - 1;
    p.drawLine(0, y, width(), y);
}

} // namespace kvo::admin
