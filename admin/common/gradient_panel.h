#pragma once
#include <QColor>
#include <QWidget>

namespace kvo::admin {

// A panel with a vertical gradient and a one-pixel edge line: the stretched background
// pictures of the toolbar and of the message window's button strip.
class GradientPanel : public QWidget {
public:
    enum class Edge { Top, Bottom };
    GradientPanel(QColor top, QColor bottom, QColor line, Edge edge, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QColor top_, bottom_, line_;
    Edge edge_;
};

} // namespace kvo::admin
