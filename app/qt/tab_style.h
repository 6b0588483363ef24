#pragma once
// Tabs with a large icon above the caption, so that the main page control's five tabs with
// their 40 x 40 pictures fit the width of the fixed window.
#include <QProxyStyle>

namespace dorive {

class IconAboveTextTabStyle : public QProxyStyle {
    Q_OBJECT
  public:
    using QProxyStyle::QProxyStyle;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
};

}  // namespace dorive
