#include "windows/TImageList.h"

namespace pinlet {

QPixmap TImageList::image(int index, qreal devicePixelRatio) const {
    return artworkpixmap(pictures_.at(std::size_t(index)), devicePixelRatio);
}

} // namespace pinlet
