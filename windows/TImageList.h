#pragma once
// A list of same-sized pictures from the program's artwork, kept out of sight, from which a window copies
// the one it needs (the pin in its two states).

#include "assets/Artwork.h"

#include <QObject>
#include <QPixmap>

#include <vector>

namespace pinlet {

class TImageList : public QObject {
    Q_OBJECT
public:
    explicit TImageList(QObject* parent = nullptr) : QObject(parent) {}

    void add(Artwork picture) { pictures_.push_back(picture); }
    int count() const { return int(pictures_.size()); }
    // The picture at index (0 <= index < count()), drawn for a screen with the given device pixel ratio.
    QPixmap image(int index, qreal devicePixelRatio) const;

private:
    std::vector<Artwork> pictures_;
};

} // namespace pinlet
