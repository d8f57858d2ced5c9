#include "controls/MiniHtmlPictureCache.h"

const MiniHtmlPicture* TMiniHtmlPictureCache::findPicture(std::string_view url) const {
    for (const auto& picture : pictures_) {
        if (picture->url() == url) {
            return picture.get();
        }
    }
    return nullptr;
}

void TMiniHtmlPictureCache::addPicture(const std::string& url) {
    pictures_.push_back(std::make_unique<TMiniHtmlPicture>());
    pictures_.back()->loadFromUrl(url);
}
