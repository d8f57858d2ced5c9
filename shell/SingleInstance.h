#pragma once
// One running program per user and database.
//
// Two instances over one database would each keep their own note windows, and the later save would
// silently overwrite the earlier. So the first start owns a lock file and a local socket, both named after
// the user and the database file; a later start finds the lock taken, asks the owner through the socket
// to bring up its list window, and ends.
//
// The lock decides who owns the database, the socket only carries the request. A lock file survives a
// crash, but QLockFile recognises a lock whose process is gone and takes it over, so a crashed instance
// never blocks a start; and since only the lock's owner (re)creates the socket, a socket file a crash left
// behind is simply replaced, with no race between two starts over who removes it.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <string>

namespace pinlet {

// The name under which the instances of one user over one database file meet: the same for every
// spelling of the same file (relative, through links, in any letter case on Windows).
QString instancekey(const std::string& databasepath);

// Where the instances of a key meet: a local socket path short enough for the platform's limit, in the
// user's runtime folder where there is one (a pipe name on Windows).
QString instancesocket(const QString& key);

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        First,       // this process is the instance; it serves later starts from now on
        Second,      // another instance runs and has been asked to show itself
        Unreachable, // another instance holds the database but did not answer within the patience
    };

    explicit SingleInstance(const QString& key,
                            std::chrono::milliseconds patience = std::chrono::milliseconds(10000),
                            QObject* parent = nullptr);
    ~SingleInstance() override;

    // The commands a later start can ask for: bring up the list window, make a new note.
    static inline const QStringList kCommands{QStringLiteral("show"), QStringLiteral("new")};

    // What claim() asks a running instance to do: some of kCommands, by default "show". The running
    // instance answers before it carries them out.
    void setrequest(const QStringList& commands) { request_ = commands; }

    // Becomes the instance or asks the running one to carry out the request. Blocks at most about the
    // patience. Where no lock can be made at all (an unwritable temporary folder), the program runs unguarded
    // rather than not at all: First.
    Role claim();

    // Why the instance, once First, cannot hear later starts (they will say it does not answer); empty
    // when it listens. Start-up tells the user once.
    const QString& listenfailure() const { return listenfailure_; }
    static inline const char kNotListening[] =
        "A Pinlet elindult, de a később indított példányok nem fogják elérni, ezért azok azt jelzik majd, "
        "hogy nem válaszol. Az ok: ";

signals:
    // A later start asked this instance to carry out these commands (its request).
    void requested(const QStringList& commands);
    // A later start asked this instance to bring up its list window (its request holds "show").
    void activationRequested();

private:
    bool askowner();
    void serve();

    QString key_;
    QString socket_;
    QString listenfailure_;
    std::chrono::milliseconds patience_;
    QStringList request_{QStringLiteral("show")};
    std::unique_ptr<QLockFile> lock_;
    QLocalServer server_;
};

} // namespace pinlet
