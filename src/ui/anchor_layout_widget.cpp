#include "ui/anchor_layout_widget.h"

namespace qm {

void AnchorLayout::Place(QWidget* widget, QRect designRect, unsigned anchors) {
    entries_.insert(widget, Entry{widget, designRect, anchors});
    widget->setGeometry(RectFor(entries_[widget], current_.isValid() ? current_ : design_)
                            .translated(inset_, inset_));
}

void AnchorLayout::Move(QWidget* widget, QRect currentRect) {
    auto it = entries_.find(widget);
    if (it == entries_.end()) return;
    QSize now = current_.isValid() ? current_ : design_;
    int dw = now.width() - design_.width();
    int dh = now.height() - design_.height();
    QRect rect = currentRect.translated(-inset_, -inset_);
    // Store the rectangle as it would stand at design size, so later resizes stay consistent.
    if (it->anchors & AnchorRight) {
        if (it->anchors & AnchorLeft) rect.setWidth(rect.width() - dw);
        else rect.moveLeft(rect.left() - dw);
    }
    if (it->anchors & AnchorBottom) {
        if (it->anchors & AnchorTop) rect.setHeight(rect.height() - dh);
        else rect.moveTop(rect.top() - dh);
    }
    it->rect = rect;
    widget->setGeometry(currentRect);
}

void AnchorLayout::Move(QWidget* widget, QRect currentRect, unsigned anchors) {
    auto it = entries_.find(widget);
    if (it == entries_.end()) return;
    it->anchors = anchors;
    Move(widget, currentRect);
}

QRect AnchorLayout::DesignRect(QWidget* widget) const {
    auto it = entries_.find(widget);
    return it == entries_.end() ? QRect() : it->rect;
}

QRect AnchorLayout::RectFor(const Entry& entry, QSize parentSize) const {
    int dw = parentSize.width() - design_.width();
    int dh = parentSize.height() - design_.height();
    QRect r = entry.rect;
    if (entry.anchors & AnchorRight) {
        if (entry.anchors & AnchorLeft) r.setWidth(std::max(1, r.width() + dw));
        else r.moveLeft(r.left() + dw);
    }
    if (entry.anchors & AnchorBottom) {
        if (entry.anchors & AnchorTop) r.setHeight(std::max(1, r.height() + dh));
        else r.moveTop(r.top() + dh);
    }
    return r;
}

void AnchorLayout::Apply(QSize parentSize) {
    current_ = parentSize.shrunkBy(QMargins(inset_, inset_, inset_, inset_));
    for (auto it = entries_.begin(); it != entries_.end(); ++it)
        if (it->widget) it->widget->setGeometry(RectFor(*it, current_).translated(inset_, inset_));
}

} // namespace qm
