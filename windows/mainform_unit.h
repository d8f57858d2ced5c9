#pragma once
// The note window: one borderless, translucent sticky note per open note. It is dragged by its top bar,
// resized by its corner grip, can be pinned above every other window, and saves what is typed into it.
//
// The note list window creates it, sets the note id and the loaded flag, appends it to the store's
// openforms, shows it and applies its saved geometry; the window loads its note at its first activation.
// It works with the program's one store (zkpldm), which must exist while the window does.

#include <QDeadlineTimer>
#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>

#include "store/zkpldm_unit.h"

#include <cstdint>
#include <functional>
#include <string>

class QLineEdit;
class TNoteMemo;

namespace pinlet {
class TImage;
class TImageList;
class TWndActImage;
} // namespace pinlet

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // The notice the window shows when it loses the focus while not pinned.
    static inline const QString kReopenHint =
        QStringLiteral("Jegyzetés jobb egérgombbal tudja újra megnyitni.");
    // What the text field says while the note could not be read (%1: why).
    static inline const QString kUnreadNote =
        QStringLiteral("A jegyzetet nem sikerült beolvasni, ezért most nem szerkeszthető: %1\n\n"
                       "Kattintson egy másik ablakra, majd vissza ide, és a Pinlet újra megpróbálja.");
    // How long after the last keystroke an edited note saves itself.
    static constexpr int kAutosaveDelayMs = 1500;

    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override; // leaves openforms, so the registry never holds a destroyed window

    std::int32_t id() const { return id_; }
    void setId(std::int32_t id) { id_ = id; }
    bool loaded() const { return loaded_; }
    void setLoaded(bool loaded) { loaded_ = loaded; }
    bool pinned() const;

    // Shows one line of notice text (mini-HTML) in the program's notice popup and returns once it has
    // risen. The list window lends its popup through this; without one, no notice is shown.
    using ShowNotice = std::function<void(const QString& text)>;
    void setShowNotice(ShowNotice show) { showNotice_ = std::move(show); }

    // Edits (name or text) not yet in the store.
    bool edited() const { return edited_; }
    // Whether the exit save has anything to write for this window: it was loaded and its name, text or
    // geometry differ from what it last saved.
    bool unsaved() const;

    // The window's handlers. Store failures are not caught unless said.
    void FormCreate();
    void FormShow();
    void FormActivate();
    void FormDeactivate();
    // The close handling: save, ask for the list to be rebuilt, leave openforms. Throws when the save fails;
    // the window then stays open and registered.
    void FormClose();
    // Saves name, text and geometry; false, and nothing saved at all, when the text is blank (only spaces
    // and control characters). A note whose row is gone is written anew, and the window takes its new id.
    bool savetodb();
    void savetoposdb();
    void Image1Click();
    // Closes the window; a failed close is shown with errordlg and the window stays open.
    void Image2Click();
    // Another writer (a second process, another machine through a synchronised folder) may have changed
    // the note since the window read it. Without edits of its own the window takes the stored version;
    // used when the database file is seen to change. Read failures wait for the next change or save.
    void followstore();
    // This program marked the note deleted or took the mark off: not another writer's change.
    void setnotedeleted(bool deleted) { stored_.deleted = deleted; }
    // What the notice says when the window's edits met another writer's change and were saved apart
    // (%1: the new note's name).
    static inline const QString kConflictNotice =
        QStringLiteral("A jegyzetet közben máshol is módosították. Az itteni szöveg új jegyzetként "
                       "mentve: %1");
    // Closes the window without saving: its note is gone for good (a compaction purged it), and a save
    // would bring it back as a new note.
    void discard();
    void Image3Click();
    void Panel3Resize();
    void bottompanelResize();
    void nevChange();
    void ApplicationEvents1Activate();
    void ApplicationEvents1Deactivate();

    // The text is selected once the note is loaded (now, if it is), so that typing replaces it: for a new
    // note, whose text is a placeholder. What is stored stays as it is until the user types.
    void selecttextonload();

    // Saves the edits now if there are any (the autosave). A failure is shown once in the failure box
    // until a save succeeds again; the edits stay in the window. Returns false when a save failed.
    bool saveedits();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildcomponents();
    void shownote(Tnotestate note);
    void saveconflict(const Tjegyzet& note, bool theirsstands);
    void refreshpictures();
    void userchanged();
    void keeponscreen();
    void scheduleonscreencheck();

    QWidget* Panel3 = nullptr;
    pinlet::TWndActImage* WndActImage1 = nullptr;
    pinlet::TImage* Image1 = nullptr;
    pinlet::TImage* Image3 = nullptr;
    pinlet::TImage* Image2 = nullptr;
    QWidget* Panel2 = nullptr;
    TNoteMemo* Memo1 = nullptr;
    QWidget* bottompanel = nullptr;
    QLineEdit* nev = nullptr;
    pinlet::TWndActImage* WndActImage4 = nullptr;
    pinlet::TImageList* ImageList1 = nullptr;

    std::int32_t id_ = 0;
    bool loaded_ = false;
    bool shownBefore_ = false;
    bool closed_ = false;       // FormClose has finished: the window is on its way out
    bool loading_ = false;      // the window itself is filling the fields
    bool edited_ = false;       // name or text changed since the last save
    bool saving_ = false;       // an autosave is under way (its failure box runs a nested loop)
    bool failureShown_ = false; // the last autosave failure has been shown
    bool onscreenCheckDue_ = false;
    bool selectOnLoad_ = false;
    QRect offscreenAsk_; // where a window asked to open off the screens goes instead, while it is placed
    QDeadlineTimer placement_; // how long the window manager's first placement may still come
    QRect savedGeometry_;      // the geometry last written, for the exit save
    Tnotestate stored_; // the note as last read or saved, byte for byte, to tell another writer's change
    std::string readfailure_; // the failure the last read showed
    QTimer autosave_;
    ShowNotice showNotice_;
};
