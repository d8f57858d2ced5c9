#pragma once
// The pictures that one control's markup loaded by URL. Each control owns one.

#include "controls/MiniHtmlPicture.h"

#include <memory>
#include <vector>

class TMiniHtmlPictureCache : public MiniHtmlPictureCache {
public:
    const MiniHtmlPicture* findPicture(std::string_view url) const override;
    // Appends a picture for url and loads it. A picture that fails to load stays in the cache, empty, so
    // later paints find it and do not try again; the load error is thrown on.
    void addPicture(const std::string& url) override;

    int count() const { return static_cast<int>(pictures_.size()); }
    TMiniHtmlPicture& item(int index) { return *pictures_.at(static_cast<std::size_t>(index)); }
    // Frees every picture.
    void clear() { pictures_.clear(); }

private:
    std::vector<std::unique_ptr<TMiniHtmlPicture>> pictures_;
};
