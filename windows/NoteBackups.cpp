#include "windows/NoteBackups.h"

#include "shell/PinletApplication.h"
#include "shell/helpers.h"
#include "store/Backups.h"
#include "store/NoteExport.h"
#include "store/NoteMerge.h"
#include "store/zkpldm_unit.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QWidget>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

std::string utf8(const QString& text) {
    return text.toStdString();
}

bool fileexists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(std::filesystem::path(std::u8string(path.begin(), path.end())), error);
}

} // namespace

TNoteBackups::TNoteBackups(QWidget* owner, std::function<void(const QString&)> notice)
    : QObject(owner), owner_(owner), notice_(std::move(notice)), copies_(new QMenu(kBackupsItem, owner)) {
    copies_->setObjectName(QStringLiteral("Biztonsagimentesek1"));
    connect(copies_, &QMenu::aboutToShow, this, [this] { pinlet::runhandler([this] { fillmenu(); }); });
    choosefolder = [](QWidget* parent) { return QFileDialog::getExistingDirectory(parent, kExportTitle); };
    timer_.setInterval(kCheckMs);
    connect(&timer_, &QTimer::timeout, this, [this] { dailybackup(); });
    busyretry_.setSingleShot(true);
    busyretry_.setInterval(kBusyRetryMs);
    connect(&busyretry_, &QTimer::timeout, this, [this] { dailybackup(); });
}

void TNoteBackups::start() {
    QTimer::singleShot(kFirstCheckMs, this, [this] { dailybackup(); });
    timer_.start();
}

Tdate TNoteBackups::day() const {
    const QDate date = today();
    return {date.year(), date.month(), date.day()};
}

void TNoteBackups::dailybackup() {
    // No database (the start-up failed to make one): nothing to copy, and that failure was said already.
    if (!zkpldm || zkpldm->db.databasename().empty() || attempted_ == today())
        return;
    if (zkpldm->db.connected()) {
        busyretry_.start();
        return;
    }
    attempted_ = today();
    const Tdate date = day();
    if (fileexists(backuppath(zkpldm->dbdir, date)))
        return;
    try {
        takebackup(*zkpldm, date);
    } catch (const std::exception& failure) {
        notice_(kBackupFailed.arg(text(failure.what())));
    }
}

void TNoteBackups::backupnow() {
    takebackup(*zkpldm, day());
    attempted_ = today();
}

void TNoteBackups::addmenuitems(QMenu& menu) {
    menu.addMenu(copies_);
    connect(menu.addAction(kExportItem), &QAction::triggered, this,
            [this] { pinlet::runhandler([this] { exportnotes(); }); });
}

void TNoteBackups::fillmenu() {
    copies_->clear();
    const std::vector<Tbackupcopy> copies = listbackups(backupfolder(zkpldm->dbdir));
    if (copies.empty())
        copies_->addAction(kNoBackups)->setEnabled(false);
    for (const Tbackupcopy& copy : copies) {
        const QString date = text(copy.date.totext());
        if (!copy.good()) {
            QAction* item = copies_->addAction(kDamagedItem.arg(date));
            item->setEnabled(false);
            item->setToolTip(text(copy.problem));
            continue;
        }
        connect(copies_->addAction(kCopyItem.arg(date).arg(copy.notes)), &QAction::triggered, this,
                [this, copy] { pinlet::runhandler([this, copy] { restore(copy); }); });
    }
}

void TNoteBackups::restore(const Tbackupcopy& copy) {
    const std::string date = copy.date.totext();
    const Tnotemerge plan = planmergenotes(*zkpldm, copy.path, date);
    if (plan.incoming.empty()) {
        notice_(kNothingToRestore.arg(text(date)));
        return;
    }
    const QString question =
        kConfirmRestore.arg(text(date)).arg(plan.notes).arg(plan.missingcount()).arg(plan.changedcount());
    if (confirmdlg(utf8(question)) != 6)
        return;
    const std::vector<std::int32_t> ids = bringnotesin(*zkpldm, plan);
    notice_(kRestored.arg(ids.size()).arg(text(date)));
}

void TNoteBackups::exportnotes() {
    const QString folder = choosefolder(owner_);
    if (folder.isEmpty())
        return;
    const Texport result = ::exportnotes(*zkpldm, utf8(folder), day());
    notice_(kExported.arg(result.notes).arg(text(result.folder)));
}
