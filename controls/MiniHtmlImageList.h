#pragma once
// An indexed list of equally sized pictures for <IMG SRC="IDX:n">.

#include "controls/MiniHtmlPicture.h"

#include <QObject>

#include <memory>
#include <vector>

// A QObject so that controls can hold it through QPointer and forget it when it is destroyed.
class TMiniHtmlImageList : public QObject, public MiniHtmlImageList {
    Q_OBJECT
public:
    TMiniHtmlImageList(int width, int height, QObject* parent = nullptr)
        : QObject(parent), width_(width), height_(height) {}

    int count() const override { return static_cast<int>(images_.size()); }
    int width() const override { return width_; }
    int height() const override { return height_; }
    const MiniHtmlPicture* image(int index) const override;

    // Appends image, scaled to the list's size when it differs; returns its index.
    int add(const QImage& image);

private:
    int width_;
    int height_;
    std::vector<std::unique_ptr<TMiniHtmlPicture>> images_;
};
