#pragma once
// The note list window, the program's main window: a borderless window at the bottom-right corner of the
// screen listing the names of the notes as links. It owns the tray icon and its menu, the notice popup
// that it and the note windows use, and the banner strip at its bottom.
//
// Where the desktop has no notification area (or the icon cannot be registered) the window stays
// reachable by itself: it gets a taskbar entry, its cross minimises instead of hiding, and a right click
// on its top bar offers the tray menu's commands. It keeps trying to register the icon and returns to
// the tray when that succeeds.
//
// It works with the program's one store (zkpldm), which must exist while the window does.

#include "db/FileStamp.h"
#include "windows/TrayIcon.h"

#include <QElapsedTimer>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QTimer>
#include <QWidget>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QKeyEvent;
class QLineEdit;
class QMenu;
class TForm1;
class TNoteBackups;
class TConflictCopyOffer;
class TMiniHtmlLabel;
class TMiniHtmlPopup;
class TMiniHtmlStaticText;

namespace pinlet {
class Autostart;
class TImage;
class TWndActImage;
} // namespace pinlet

// Where the list window stands: its bottom-right corner 4 pixels inside the work area's, so a taskbar at
// any edge of the screen leaves it whole on the screen.
QPoint listwindowposition(const QRect& workArea, const QSize& size);

// One note's row of the list: a link to the note, its name kept to the row (ContainedNameMarkup), a
// note whose name shows nothing listed by its id, and the line break that ends the row.

class TForm2 : public QWidget {
    Q_OBJECT
public:
    // The texts of the window and its menus.
    static inline const QString kRemoveHeader = QStringLiteral(
        "<center><font color=\"#9f0000\" size=\"+1\">Kérem válassza ki melyiket szeretné törölni!</font> "
        "(<a href=\"cancel\">mégsem</a>)</center>");
    static inline const QString kRestoreHeader = QStringLiteral(
        "<center><font color=\"#006000\" size=\"+1\">Kattintson a visszaállítandó jegyzetre!</font> "
        "(<a href=\"cancel\">mégsem</a>)</center>");
    static inline const QString kNoDeleted = QStringLiteral("Nincs törölt jegyzet.");
    static inline const QString kDeletedItem = QStringLiteral("Törölt jegyzetek");
    static inline const QString kConfirmDelete = QStringLiteral("Valóban törölni szeretné?");
    static inline const QString kCloseItem = QStringLiteral("Pinlet bezárása");
    static inline const QString kCompactItem = QStringLiteral("Tömörítés");
    static inline const QString kConfirmCompact =
        QStringLiteral("A tömörítés véglegesen eltávolítja a törölt jegyzeteket (%1 db). Folytatja?");
    static inline const QString kCompacted = QStringLiteral("Tömörítés kész.");
    static inline const QString kCompactNoBackup =
        QStringLiteral("A tömörítés elmaradt, mert az előtte készülő biztonsági mentés nem sikerült. ");
    static inline const QString kAutostartItem = QStringLiteral("Indítás bejelentkezéskor");
    static inline const QString kNothingFound = QStringLiteral("Nincs találat.");
    static inline const QString kMoreFound = QStringLiteral("… és még %1 találat");
    static inline const QString kAtLeastMoreFound = QStringLiteral("… és még legalább %1 találat");
    static constexpr std::size_t kShownMatches = 50;
    // How long a pause in the typing keeps the database file open for the next keystroke, ms.
    static constexpr int kSearchPause = 2000;
    // How long after the list stands the search is readied, ms: after the window's first paint, which a
    // zero delay would come before, and before a person's first keystroke.
    static constexpr int kReadySearchDelay = 100;
    // How often the window tries again to put its icon into a notification area that was not there.
    static constexpr int kTrayRetryMs = 2000;

    // Builds the window and its components and registers the tray icon; FormCreate does the rest of the
    // creation. The notification area is Qt's unless one is given (tests give a recording one).
    explicit TForm2(std::unique_ptr<pinlet::TrayShell> trayshell = nullptr);
    ~TForm2() override;

    // "" in normal mode, "remove" in delete mode, "restore" while the deleted notes are listed for bringing
    // one back. The mode decides the header, which notes are listed and what a press on a name does.
    std::string mode;

    // The creation handler: normal mode, the list, the place at the bottom-right corner.
    void FormCreate();
    void FormShow();
    // Rebuilds the list; a failure that the previous activation showed already is not shown again.
    void FormActivate();
    // Rebuilds the list from the store.
    void showitems();
    // Opens the window of a note, or brings up the one already open, and applies its saved geometry.
    void openjegyzet(std::int32_t id);
    void MiniHtmlLabel1AnchorClick(QObject* sender, const std::string& anchor);
    void btn_newClick();
    void btn_removeClick();
    void Image2Click();
    void Panel3Resize();
    void trayiconClick(QObject* sender, pinlet::TMouseButton button, pinlet::TShiftState shift, int x, int y);
    void PopupMenu1Popup();
    void Jegyzetmegnyitsa1Click(QAction* sender);
    // The menu's "Törölt jegyzetek": the list shows the deleted notes; a press on one brings it back.
    void Trltjegyzetek1Click();
    void Pinletbezrsa1Click();
    // Removes the deleted notes for good and compacts the database, after asking.
    void mrts1Click();
    void Timer1Timer();
    void Timer2Timer();

    // Shows the window in front with the focus, as a click on the tray icon does; also what a second
    // start of the program asks for.
    void bringup();
    // Where the menu's "Indítás bejelentkezéskor" reads and switches starting at login; without one (or
    // where the platform has none) the menu does not offer the item.
    void setautostart(std::unique_ptr<pinlet::Autostart> autostart);
    // The menu's "Indítás bejelentkezéskor": checked, Pinlet starts at login; unchecked, it does not.
    void Autostart1Click(bool checked);
    // Whether the icon shows in a notification area; without one the window is reachable by itself.
    bool traymode() const { return traymode_; }

    // Search as you type: a printable key or Ctrl+F opens the search field (objectName "kereses") in the
    // top bar, and the list shows only the notes that match, best first. Up and Down move a highlight
    // over the rows (with or without a search), Enter acts on the highlighted note (the first one when
    // none is) as a press on its name does in the current mode, Esc ends the search and, with no search,
    // hides the window.
    void startsearch(const QString& typed);
    void endsearch();
    bool searching() const;
    // The note the keyboard stands on, -1 for none.
    std::int64_t highlighted() const { return highlighted_; }

    pinlet::TTrayIcon& trayicon() { return *trayicon_; }
    QMenu& PopupMenu1() { return *PopupMenu1_; }
    TMiniHtmlPopup& MiniHtmlPopup1() { return *MiniHtmlPopup1_; }
    // The daily copies, the copies' menu and the export.
    TNoteBackups& backups() { return *backups_; }

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void marknotedeleted(std::int32_t id, bool deleted);
    void readysearch();
    void buildcomponents();
    void layoutcomponents();
    void refreshpictures();
    void settraymode(bool tray);
    void checktray();
    // Stands the window in the bottom-right corner of the primary screen's work area as it is now.
    void placeinworkarea();
    // A notice of a note window; the one a double-click on the note's name brings about is dropped.
    void shownotice(const QPointer<TForm1>& window, const QString& text);
    bool listkey(const QKeyEvent& key); // the keys the list and the search field share
    void movehighlight(int step);
    void openhighlighted();
    void scrolltohighlight();

    QWidget* Panel3 = nullptr;
    pinlet::TWndActImage* WndActImage1 = nullptr;
    pinlet::TImage* btn_new = nullptr;
    pinlet::TImage* btn_remove = nullptr;
    pinlet::TImage* Image2 = nullptr;
    QWidget* Panel2 = nullptr;
    TMiniHtmlLabel* MiniHtmlLabel1 = nullptr;
    pinlet::TWndActImage* WndActImage3 = nullptr;
    TMiniHtmlStaticText* banner = nullptr;
    pinlet::TWndActImage* WndActImage2 = nullptr;
    pinlet::TTrayIcon* trayicon_ = nullptr;
    QMenu* PopupMenu1_ = nullptr;
    TMiniHtmlPopup* MiniHtmlPopup1_ = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    TNoteBackups* backups_ = nullptr;
    TConflictCopyOffer* conflicts_ = nullptr;
    QLineEdit* kereses = nullptr;
    QTimer* searchpause_ = nullptr;

    std::vector<std::int32_t> shown_; // the notes listed, in list order
    std::vector<int> shownline_;      // the first line of each of their rows, and the lines in all last
    std::int64_t highlighted_ = -1;
    bool searchnoticed_ = false; // why search is unavailable was said once

    bool traymode_ = true;
    bool userplaced_ = false; // moved by its bar since it was shown: it no longer follows the work area
    // The note the last press on a name opened, and when; a second press on it within a double-click
    // makes the list active for a moment, which is no leaving of the note.
    QPointer<TForm1> pressedNote_;
    QElapsedTimer pressedAt_;
    bool pressedTwice_ = false;
    std::string activationfailure_; // the failure the last activation's rebuild showed
    // The database as it stood when the list at creation was read, until the first activation: that one
    // finds the same list unless the file changed since.
    std::optional<sqldb::FileStamp> readatcreation_;
    QTimer trayretry_;
    std::unique_ptr<pinlet::Autostart> autostart_;
};
