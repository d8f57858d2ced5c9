#include "controls/MiniHtmlPicture.h"

#include "minihtml/AsciiText.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

QByteArray readBounded(const QString& path) {
    const QFileInfo info(path);
    // Only regular files: a device or a pipe could block the paint that asked for the picture forever.
    if (path.isEmpty() || !info.exists() || !info.isFile() || info.size() > TMiniHtmlPicture::kMaxFileSize) {
        throw std::runtime_error("Could not load image");
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("Could not load image");
    }
    QByteArray data = file.read(TMiniHtmlPicture::kMaxFileSize + 1);
    if (data.size() > TMiniHtmlPicture::kMaxFileSize) {
        throw std::runtime_error("Could not load image");
    }
    return data;
}

} // namespace

void TMiniHtmlPicture::loadFromUrl(const std::string& url) {
    url_ = url;
    image_ = QImage();
    if (ascii::StartsNoCase(url, "RES://")) {
        loadFromFile(QStringLiteral(":/") + QString::fromUtf8(url.substr(6).c_str()));
    } else if (ascii::StartsNoCase(url, "FILE://")) {
        loadFromFile(QString::fromUtf8(url.substr(7).c_str()));
    }
}

void TMiniHtmlPicture::loadFromFile(const QString& path) {
    image_ = QImage();
    loadFromData(readBounded(path));
}

void TMiniHtmlPicture::loadFromData(const QByteArray& data) {
    image_ = QImage();
    if (data.isEmpty()) {
        throw std::runtime_error("Empty image stream created");
    }
    QImage decoded;
    if (!decoded.loadFromData(data)) {
        throw std::runtime_error("Could not load image. Invalid format");
    }
    image_ = decoded;
}
