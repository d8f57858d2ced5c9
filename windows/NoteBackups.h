#pragma once
// The list window's share in keeping every note recoverable: the daily copy of the database, the tray
// menu's list of copies to bring notes back from, and the export to plain files.
//
// The copy runs on the user-interface thread. It reads a file of notes, which takes milliseconds, and the
// store is single-threaded by design: a worker would need its own way around the store's state for no
// gain a person could notice. It never runs while a store sequence is under way (a save whose failure
// box is open, a setting sequence): it waits a minute and looks again.
//
// It works with the program's one store (zkpldm).

#include <QDate>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

class QMenu;
class QWidget;
struct Tbackupcopy;
struct Tdate;

class TNoteBackups : public QObject {
    Q_OBJECT
public:
    static inline const QString kBackupsItem = QStringLiteral("Biztonsági mentések");
    static inline const QString kExportItem = QStringLiteral("Exportálás…");
    static inline const QString kNoBackups = QStringLiteral("Még nincs mentés.");
    static inline const QString kCopyItem = QStringLiteral("%1 (%2 jegyzet)");
    static inline const QString kDamagedItem = QStringLiteral("%1 (sérült, nem használható)");
    static inline const QString kConfirmRestore = QStringLiteral(
        "A %1 napi mentésben %2 jegyzet van; ebből %3 ma hiányzik, %4 azóta megváltozott. Ezek új "
        "jegyzetként kerülnek vissza, a mostani jegyzetek nem változnak. Folytatja?");
    static inline const QString kNothingToRestore =
        QStringLiteral("A %1 napi mentés minden jegyzete megvan, nincs mit visszahozni.");
    static inline const QString kRestored = QStringLiteral("%1 jegyzet visszakerült a %2 napi mentésből.");
    static inline const QString kBackupFailed = QStringLiteral("A biztonsági mentés nem sikerült: %1");
    static inline const QString kExported = QStringLiteral("%1 jegyzet exportálva ide: %2");
    static inline const QString kExportTitle = QStringLiteral("Exportálás ebbe a mappába");

    // The first look a little after start-up, so the start never waits for it; then once an hour, which
    // takes one copy a day, on the first look of each day, however long the program runs or sleeps.
    static constexpr int kFirstCheckMs = 10 * 1000;
    static constexpr int kCheckMs = 60 * 60 * 1000;
    static constexpr int kBusyRetryMs = 60 * 1000;

    // `notice` shows one line of plain text in the list window's notice popup.
    TNoteBackups(QWidget* owner, std::function<void(const QString&)> notice);
    ~TNoteBackups() override;

    // Seams for tests: the day, and the folder dialog (an empty answer is a cancel).
    std::function<QDate()> today = &QDate::currentDate;
    std::function<QString(QWidget*)> choosefolder;

    // Starts the daily timer.
    void start();
    // Takes the day's copy unless today's attempt has been made (in this run, or a copy of today exists
    // from an earlier one). A failure is said once in the notice popup; the next day tries again.
    void dailybackup();
    // Takes a copy now, replacing today's: before a change that cannot be undone. Throws
    // std::runtime_error.
    void backupnow();

    // Adds "Biztonsági mentések" (its copies are listed when it opens) and "Exportálás…" to the tray menu.
    void addmenuitems(QMenu& menu);
    // Lists the copies into the submenu: date and note count, damaged copies shown but not usable.
    void fillmenu();
    QMenu& copiesmenu() { return *copies_; }
    // Asks, naming the day and the counts, then brings the copy's missing and changed notes back.
    void restore(const Tbackupcopy& copy);
    // Asks for a folder, then writes the notes into a new folder in it.
    void exportnotes();

    QTimer& timer() { return timer_; }
    // How this object says things: one line of plain text in the notice popup.
    const std::function<void(const QString&)>& notice() const { return notice_; }

private:
    Tdate day() const;

    QWidget* owner_;
    std::function<void(const QString&)> notice_;
    QMenu* copies_;
    QDate attempted_;                 // the day of the last daily attempt
    std::vector<Tbackupcopy> listed_; // the last listing, so unchanged copies are not checked again
    QTimer timer_;
    QTimer busyretry_;
};
