#pragma once
// An ordered list of icons, such as the frames of an animated tray icon.

#include <QByteArray>
#include <QIcon>
#include <QList>

#include <functional>

namespace pinlet {

// Owns copies of its icons and reports every change through OnChange, except between BeginUpdate and the
// matching EndUpdate: the outermost EndUpdate then reports once if anything changed meanwhile.
class TIconList {
public:
    TIconList() = default;
    TIconList(const TIconList&) = delete;
    TIconList& operator=(const TIconList&) = delete;

    int count() const { return int(icons_.size()); }
    bool isEmpty() const { return icons_.isEmpty(); }
    // The icon at index (0 <= index < count()).
    const QIcon& at(int index) const { return icons_.at(index); }

    void add(const QIcon& icon);
    void insert(int index, const QIcon& icon);
    void replace(int index, const QIcon& icon);
    void remove(int index);
    void clear();
    // Copies another list's icons into this one (one change).
    void assign(const TIconList& other);

    void BeginUpdate();
    void EndUpdate();

    std::function<void()> OnChange;

    // The stored form of the list: a 32-bit little-endian count, then per icon a 32-bit little-endian
    // byte length (0 for an empty icon) and that many bytes of the icon in icon-file form.
    QByteArray writedata() const;
    // Replaces the list with a stored form. Throws std::runtime_error, and leaves the list as it was, when
    // the data is truncated, carries more than it announces, or holds an icon that cannot be read.
    void readdata(const QByteArray& data);

private:
    void changed();

    QList<QIcon> icons_;
    int updating_ = 0;
    bool changedWhileUpdating_ = false;
};

// The icon-file form of one icon: every size it has (at most 256 pixels a side), 32 bits per pixel.
// Empty bytes for an empty icon.
QByteArray iconfilebytes(const QIcon& icon);
// The icon in icon-file bytes; an empty icon for empty bytes. Throws std::runtime_error for bytes that
// hold no readable icon.
QIcon iconfromfilebytes(const QByteArray& bytes);

} // namespace pinlet
