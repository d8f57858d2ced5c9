#include "controls/MiniHtmlPictureContainer.h"

namespace {

char upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (upper(a[i]) != upper(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace

TPictureItem& TPictureCollection::Add() {
    items_.push_back(std::make_unique<TPictureItem>());
    return *items_.back();
}

const MiniHtmlPicture* TMiniHtmlPictureContainer::findPicture(std::string_view name) const {
    for (int i = 0; i < Items.Count(); ++i) {
        if (equalsNoCase(Items.Items(i).Name, name)) {
            return &Items.Items(i).Picture;
        }
    }
    return nullptr;
}
