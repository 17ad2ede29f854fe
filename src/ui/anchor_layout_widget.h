#pragma once
// Design-position layout: every control keeps its design rectangle and follows the edges of
// its parent it is anchored to, the way the window was drawn.

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>

namespace qm {

enum Anchor : unsigned { AnchorLeft = 1, AnchorTop = 2, AnchorRight = 4, AnchorBottom = 8 };
constexpr unsigned kAnchorTopLeft = AnchorLeft | AnchorTop;
constexpr unsigned kAnchorAll = AnchorLeft | AnchorTop | AnchorRight | AnchorBottom;

class AnchorLayout {
public:
    explicit AnchorLayout(QSize designSize) : design_(designSize) {}

    // Places the widget at its design rectangle and remembers its anchors.
    void Place(QWidget* widget, QRect designRect, unsigned anchors = kAnchorTopLeft);
    // Gives a placed widget a new rectangle in the current parent size (it keeps its anchors).
    void Move(QWidget* widget, QRect currentRect);
    // The same, following other edges from now on.
    void Move(QWidget* widget, QRect currentRect, unsigned anchors);
    QRect DesignRect(QWidget* widget) const;
    // A border of this width stays free on every side of the parent; Apply places by it.
    void SetInset(int pixels) { inset_ = pixels; }
    void Apply(QSize parentSize);

private:
    struct Entry {
        QPointer<QWidget> widget;
        QRect rect;
        unsigned anchors = kAnchorTopLeft;
    };
    QRect RectFor(const Entry& entry, QSize parentSize) const;

    QSize design_;
    QSize current_;  // the parent's size less the inset
    int inset_ = 0;
    QHash<QWidget*, Entry> entries_;
};

} // namespace qm
