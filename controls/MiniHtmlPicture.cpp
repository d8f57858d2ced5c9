#include "controls/MiniHtmlPicture.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

bool startsWithNoCase(const std::string& text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

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
    if (startsWithNoCase(url, "RES://")) {
        loadFromFile(QStringLiteral(":/") + QString::fromUtf8(url.substr(6).c_str()));
    } else if (startsWithNoCase(url, "FILE://")) {
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
