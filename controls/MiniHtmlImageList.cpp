#include "controls/MiniHtmlImageList.h"

const MiniHtmlPicture* TMiniHtmlImageList::image(int index) const {
    if (index < 0 || index >= count()) {
        return nullptr;
    }
    return images_[static_cast<std::size_t>(index)].get();
}

int TMiniHtmlImageList::add(const QImage& image) {
    auto picture = std::make_unique<TMiniHtmlPicture>();
    picture->setImage(image.size() == QSize(width_, height_) || image.isNull()
                          ? image
                          : image.scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    images_.push_back(std::move(picture));
    return count() - 1;
}
