#pragma once
// Named pictures that a form lends to its mini-HTML controls (<IMG SRC="name">, <BODY BACKGROUND="name">).

#include "controls/MiniHtmlPicture.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

struct TPictureItem {
    std::string Name;
    TMiniHtmlPicture Picture;
};

class TPictureCollection {
public:
    // Appends an item with an empty name and picture and returns it; it lives as long as the collection.
    TPictureItem& Add();
    int Count() const { return static_cast<int>(items_.size()); }
    TPictureItem& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    const TPictureItem& Items(int index) const { return *items_.at(static_cast<std::size_t>(index)); }
    void Clear() { items_.clear(); }

private:
    std::vector<std::unique_ptr<TPictureItem>> items_;
};

// A QObject so that controls can hold it through QPointer and forget it when it is destroyed.
class TMiniHtmlPictureContainer : public QObject, public MiniHtmlPictureContainer {
    Q_OBJECT
public:
    explicit TMiniHtmlPictureContainer(QObject* parent = nullptr) : QObject(parent) {}

    // The first item whose name equals name in any ASCII letter case.
    const MiniHtmlPicture* findPicture(std::string_view name) const override;

    TPictureCollection Items;
};
