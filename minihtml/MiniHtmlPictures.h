#pragma once
// The picture sources as the engine sees them. The controls implement them (the engine never decodes a
// picture); a Canvas draws a MiniHtmlPicture that comes from a source of its own platform.

#include <string>
#include <string_view>

// One picture, possibly a frame of an animation.
class MiniHtmlPicture {
public:
    virtual ~MiniHtmlPicture() = default;
    // True when nothing was loaded; an empty picture is neither drawn nor given space.
    virtual bool empty() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Where the current frame of an animated picture stands inside the picture; (0, 0) for a still one.
    virtual int frameOffsetX() const { return 0; }
    virtual int frameOffsetY() const { return 0; }
};

// Named pictures for <IMG SRC="name"> and <BODY BACKGROUND="name">.
class MiniHtmlPictureContainer {
public:
    virtual ~MiniHtmlPictureContainer() = default;
    // The picture of the first item whose name equals name without regard to ASCII letter case; null when
    // there is none.
    virtual const MiniHtmlPicture* findPicture(std::string_view name) const = 0;
};

// Pictures loaded by URL, in the order they were added.
class MiniHtmlPictureCache {
public:
    virtual ~MiniHtmlPictureCache() = default;
    // The first picture remembered for exactly this URL; null when there is none.
    virtual const MiniHtmlPicture* findPicture(std::string_view url) const = 0;
    // Appends a picture for url and loads it. The picture stays remembered, empty, when nothing could be
    // loaded; a decoding failure may throw (the engine treats the picture as missing).
    virtual void addPicture(const std::string& url) = 0;
};

// An indexed list of equally sized pictures, for <IMG SRC="IDX:n">.
class MiniHtmlImageList {
public:
    virtual ~MiniHtmlImageList() = default;
    virtual int count() const = 0;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // The picture at index, 0 <= index < count(); null when it cannot be drawn.
    virtual const MiniHtmlPicture* image(int index) const = 0;
};
