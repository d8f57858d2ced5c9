#pragma once
// Conflict copies that a synchronising program leaves beside the database: each one found is offered once
// per run, its notes brought in by the same rule as a backup's (nothing here overwritten), and the copy
// then moved into the backups' folder, never deleted.
//
// It works with the program's one store (zkpldm).

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <set>
#include <string>

class TConflictCopyOffer : public QObject {
    Q_OBJECT
public:
    static inline const QString kQuestion = QStringLiteral(
        "Egy szinkronizáló program ütköző példányt hagyott a jegyzetek mellett: %1. Benne %2 jegyzet ma "
        "hiányzik, %3 máshogy szerepel. Behozza ezeket új jegyzetként? A mostani jegyzetek nem változnak, "
        "a példány a mentések mappájába kerül.");
    static inline const QString kNothingNew = QStringLiteral(
        "Az ütköző példány (%1) minden jegyzete megvan; a példány a mentések mappájába került.");
    static inline const QString kBroughtIn =
        QStringLiteral("%1 jegyzet behozva az ütköző példányból; a példány a mentések mappájába került.");
    static inline const QString kFailed = QStringLiteral("Az ütköző példányt nem sikerült behozni: %1");
    // How changed notes of a copy are named: "<name> (ütköző példány)".
    static inline const std::string kLabel = "ütköző példány";
    // A copy may appear without the database changing (the local file wins), so the folder is also looked
    // at now and then.
    static constexpr int kLookMs = 30 * 1000;

    // `notice` shows one line of plain text in the list window's notice popup.
    explicit TConflictCopyOffer(QObject* parent, std::function<void(const QString&)> notice);

    // Starts looking: soon after start-up, then now and then.
    void start();
    // Looks for copies not offered yet in this run and offers each. Does nothing while an offer is open.
    void look();

private:
    void offer(const std::string& copy);

    std::function<void(const QString&)> notice_;
    std::set<std::string> offered_;
    bool asking_ = false;
    QTimer timer_;
};
