#include "controls/MiniHtmlPicture.h"

#include "controls/LocalPicturePath.h"
#include "minihtml/AsciiText.h"

#include <QFile>
#include <QFileInfo>

#include <optional>
#include <stdexcept>

namespace {

bool local(const QString& path) {
    return localpicturepath(path.toStdString()).has_value();
}

QByteArray readBounded(const QString& path) {
    const QFileInfo info(path);
    // Asked before anything touches the file: even a look at a network path contacts its host. A relative
    // path counts as what it resolves to, as the working folder may itself be on a share.
    if (!local(path) || !local(info.absoluteFilePath()))
        throw std::runtime_error("Could not load image");
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
        const std::optional<std::string> path = localpicturepath(url.substr(7));
        if (!path)
            throw std::runtime_error("Could not load image");
        loadFromFile(QString::fromUtf8(path->c_str()));
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
