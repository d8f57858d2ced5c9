#pragma once
// Starting at login on freedesktop desktops: a desktop entry in the user's autostart folder. Entries of
// the same file name in the user's folder hide those of the system's folders, and an entry with Hidden=true
// starts nothing, so switching off an entry the system provides writes such a hiding entry.

#include "platform/Autostart.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace pinlet {

class XdgAutostart : public Autostart {
public:
    // userfolder: the user's autostart folder; systemfolders: the system's, the one that wins first.
    XdgAutostart(QString userfolder, QStringList systemfolders, QString executable);

    // The file the program writes into the user's folder.
    static QString entryname();

    bool supported() const override { return true; }
    State state() const override;
    bool broken() const override;
    void enable() override;
    void disable() override;

private:
    struct Entry {
        QString name; // file name, which decides which folder's entry counts
        QString path; // the file that counts
        QString text; // its contents
        bool user;    // it lies in the user's folder
        bool enabled; // not hidden
        bool works;   // its program exists
    };
    // The entries that count and whose program is Pinlet's executable, under any folder or name.
    std::vector<Entry> entries() const;
    void write(const QString& name, const QString& text) const;
    QString canonicaltext() const;

    QString userfolder_;
    QStringList systemfolders_;
    QString executable_;
};

} // namespace pinlet
