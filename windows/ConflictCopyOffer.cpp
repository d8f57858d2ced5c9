#include "windows/ConflictCopyOffer.h"

#include "db/Connection.h"
#include "shell/PinletApplication.h"
#include "shell/helpers.h"
#include "store/Backups.h"
#include "store/ConflictCopies.h"
#include "store/NoteMerge.h"
#include "store/zkpldm_unit.h"

#include <filesystem>
#include <stdexcept>

namespace {

std::filesystem::path fspath(const std::string& text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

// Into the backups' folder under its own name, numbered when one of that name is there already.
void moveaside(const std::string& copy) {
    const std::filesystem::path folder = fspath(backupfolder(zkpldm->dbdir));
    std::filesystem::create_directories(folder);
    const std::filesystem::path from = fspath(copy);
    std::filesystem::path to = folder / from.filename();
    for (int n = 2; std::filesystem::exists(to); ++n)
        to = folder / (from.stem().u8string() + u8"-" + std::filesystem::path(std::to_string(n)).u8string() +
                       from.extension().u8string());
    std::filesystem::rename(from, to);
}

} // namespace

TConflictCopyOffer::TConflictCopyOffer(QObject* parent, std::function<void(const QString&)> notice)
    : QObject(parent), notice_(std::move(notice)) {
    timer_.setInterval(kLookMs);
    connect(&timer_, &QTimer::timeout, this, [this] { pinlet::runhandler([this] { look(); }); });
}

void TConflictCopyOffer::start() {
    timer_.start();
    QTimer::singleShot(0, this, [this] { pinlet::runhandler([this] { look(); }); });
}

void TConflictCopyOffer::look() {
    if (asking_ || !zkpldm || zkpldm->dbdir.empty())
        return;
    for (const std::string& copy : conflictcopies(zkpldm->dbdir))
        if (offered_.insert(copy).second)
            offer(copy);
}

void TConflictCopyOffer::offer(const std::string& copy) {
    asking_ = true;
    const QString name = QString::fromStdString(sqldb::u8text(fspath(copy).filename().u8string()));
    try {
        const Tnotemerge plan = planmergenotes(*zkpldm, copy, kLabel);
        if (plan.incoming.empty()) {
            moveaside(copy);
            notice_(kNothingNew.arg(name));
        } else if (confirmdlg(
                       kQuestion.arg(name).arg(plan.missingcount()).arg(plan.changedcount()).toStdString()) ==
                   6) {
            const std::size_t count = bringnotesin(*zkpldm, plan).size();
            moveaside(copy);
            notice_(kBroughtIn.arg(count));
        }
    } catch (const std::exception& failure) {
        notice_(kFailed.arg(QString::fromUtf8(failure.what())));
    }
    asking_ = false;
}
