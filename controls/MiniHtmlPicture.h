#pragma once
// A picture for the mini-HTML engine, decoded by Qt, remembering the URL it was loaded from.

#include "minihtml/MiniHtmlPictures.h"

#include <QImage>

#include <string>

class TMiniHtmlPicture : public MiniHtmlPicture {
public:
    // Files larger than this are not read: a picture in a note list has no business being bigger, and an
    // unbounded read inside a paint could stall the program.
    static constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

    bool empty() const override { return image_.isNull(); }
    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }

    const QImage& image() const { return image_; }
    void setImage(const QImage& image) { image_ = image; }
    const std::string& url() const { return url_; }

    // Remembers url and loads the picture it names: "RES://name" (any letter case) from the program's Qt
    // resources (":/name"), "FILE://path" from a regular local file of at most kMaxFileSize bytes (a network
    // path is refused, see localpicturepath; "FILE:///C:/x" names C:/x). Any other URL is only remembered. On
    // failure the picture is left empty and std::runtime_error is thrown with "Could not load image" (nothing
    // readable there) or "Could not load image. Invalid format" (bytes that do not decode).
    void loadFromUrl(const std::string& url);
    // Loads from a file path with the same bounds and errors as a "FILE://" URL; the URL is not changed.
    void loadFromFile(const QString& path);
    // Decodes bytes; throws "Empty image stream created" for none and the invalid-format error above.
    void loadFromData(const QByteArray& data);

private:
    QImage image_;
    std::string url_;
};
