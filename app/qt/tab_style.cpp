#include "app/qt/tab_style.h"

#include <QPainter>
#include <QStyleOptionTab>

namespace dorive {

namespace {
constexpr int kPadX = 10, kPadY = 4, kGap = 2;
}

QSize IconAboveTextTabStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                              const QSize& size, const QWidget* widget) const {
    if (type == CT_TabBarTab) {
        if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option)) {
            if (!tab->icon.isNull()) {
                QSize text = tab->fontMetrics.size(Qt::TextShowMnemonic, tab->text);
                int w = std::max(text.width(), tab->iconSize.width()) + 2 * kPadX;
                int h = tab->iconSize.height() + kGap + text.height() + 2 * kPadY;
                return {w, h};
            }
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void IconAboveTextTabStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                        const QWidget* widget) const {
    if (element == CE_TabBarTabLabel) {
        if (const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option)) {
            if (!tab->icon.isNull()) {
                QRect r = tab->rect;
                const bool selected = tab->state & State_Selected;
                if (!selected) r.translate(0, 1);  // unselected tabs sit a little lower
                const QSize is = tab->iconSize;
                const int textH = tab->fontMetrics.height();
                const int top = r.top() + (r.height() - is.height() - kGap - textH) / 2;
                QIcon::Mode mode = (tab->state & State_Enabled) ? QIcon::Normal : QIcon::Disabled;
                QPixmap pm = tab->icon.pixmap(is, painter->device()->devicePixelRatioF(), mode);
                painter->drawPixmap(QRect(QPoint(r.center().x() - is.width() / 2 + 1, top), is), pm);
                QRect textRect(r.left(), top + is.height() + kGap, r.width(), textH);
                drawItemText(painter, textRect, Qt::AlignHCenter | Qt::AlignTop | Qt::TextShowMnemonic,
                             tab->palette, tab->state & State_Enabled, tab->text, QPalette::WindowText);
                return;
            }
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

}  // namespace dorive
