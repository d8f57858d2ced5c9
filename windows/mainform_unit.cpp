#include "windows/mainform_unit.h"

#include "shell/PinletApplication.h"
#include "shell/TaskbarSkip.h"
#include "shell/dialogs.h"
#include "shell/helpers.h"
#include "store/NoteMerge.h"
#include "store/zkpldm_unit.h"
#include "windows/NoteMemo.h"
#include "windows/OnScreen.h"
#include "windows/ProgramActivation.h"
#include "windows/TImage.h"
#include "windows/TImageList.h"
#include "windows/WindowLook.h"
#include "windows/WndActImg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <exception>
#include <string>

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

using pinlet::Artwork;
using pinlet::artworkpixmap;

namespace {

const QColor kPaperColour(0xFF, 0xFF, 0x80);
// How long after a window's first showing the window manager may still be placing it.
constexpr int kPlacementMs = 2000;
const QColor kNameColour(0xFF, 0xFF, 0x00);
constexpr qreal kInactiveOpacity = 225.0 / 255.0;

// The text's font.
QFont memofont() {
    return pinlet::windowface(
        {"Sylfaen", "DejaVu Serif", "Liberation Serif", "Noto Serif", "Times New Roman"}, QFont::Serif, 15);
}

QList<QRect> workareas() {
    QList<QRect> areas;
    for (const QScreen* screen : QGuiApplication::screens())
        areas.append(screen->availableGeometry());
    return areas;
}

// Blank: nothing but bytes 0 to 32 (spaces and control characters).
bool blank(const std::string& text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= 32; });
}

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint) {
    setWindowTitle(QString::fromUtf8(pinlet::kApplicationTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    resize(374, 319);
    // Small enough for any use, large enough that the bars' pictures and the grip stay reachable.
    setMinimumSize(140, 80);
    pinlet::paintbackground(*this, QPalette::Window, pinlet::kBarColour);
    setFont(pinlet::windowfont());
    setWindowOpacity(1.0);
    buildcomponents();

    autosave_.setSingleShot(true);
    autosave_.setInterval(kAutosaveDelayMs);
    connect(&autosave_, &QTimer::timeout, this, [this] { saveedits(); });

    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            ApplicationEvents1Activate();
        else
            ApplicationEvents1Deactivate();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { scheduleonscreencheck(); });
    pinlet::ProgramActivation::install();
    FormCreate();
}

TForm1::~TForm1() {
    if (zkpldm)
        std::erase(zkpldm->openforms, this);
}

void TForm1::buildcomponents() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel3 = new QWidget(this);
    Panel3->setObjectName("Panel3");
    Panel3->setFixedHeight(41);
    pinlet::paintbackground(*Panel3, QPalette::Window, pinlet::kBarColour);
    // Created first, so the pictures lie above it.
    WndActImage1 = new pinlet::TWndActImage(Panel3);
    WndActImage1->setObjectName("WndActImage1");
    WndActImage1->setClickTarget(pinlet::atCaption);
    WndActImage1->setShowWndContent(true);
    WndActImage1->setAlignment(Qt::AlignCenter);
    WndActImage1->setCursor(Qt::SizeAllCursor);

    Image1 = new pinlet::TImage(Panel3);
    Image1->setObjectName("Image1");
    Image1->setGeometry(12, 9, 25, 24);
    Image1->setHint(QStringLiteral("Mentés"));
    Image1->OnClick = [this] { Image1Click(); };

    Image3 = new pinlet::TImage(Panel3);
    Image3->setObjectName("Image3");
    Image3->setGeometry(0, 0, 50, 40);
    Image3->setHint(QStringLiteral("Mindig látszódjon"));
    Image3->OnClick = [this] { Image3Click(); };
    // Opaque, so that the pin it shows replaces the one on the handle under it instead of joining it.
    pinlet::paintbackground(*Image3, QPalette::Window, pinlet::kBarColour);

    Image2 = new pinlet::TImage(Panel3);
    Image2->setObjectName("Image2");
    Image2->setGeometry(0, 6, 23, 28);
    Image2->setHint(QStringLiteral("Mentés és ablak bezárása"));
    Image2->OnClick = [this] { Image2Click(); };

    Panel2 = new QWidget(this);
    Panel2->setObjectName("Panel2");
    auto* paper = new QVBoxLayout(Panel2);
    paper->setContentsMargins(0, 0, 0, 0);
    Memo1 = new TNoteMemo(Panel2);
    Memo1->setObjectName("Memo1");
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFont(memofont());
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, kPaperColour);
    memoPalette.setColor(QPalette::Text, Qt::black);
    Memo1->setPalette(memoPalette);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setTabChangesFocus(true);
    paper->addWidget(Memo1);

    bottompanel = new QWidget(this);
    bottompanel->setObjectName("bottompanel");
    bottompanel->setFixedHeight(19);
    pinlet::paintbackground(*bottompanel, QPalette::Window, kPaperColour);
    nev = new QLineEdit(bottompanel);
    nev->setObjectName("nev");
    nev->setFrame(false);
    QPalette namePalette = nev->palette();
    namePalette.setColor(QPalette::Base, kNameColour);
    namePalette.setColor(QPalette::Text, Qt::black);
    nev->setPalette(namePalette);
    nev->setText(QStringLiteral("s"));
    // Nothing can be typed into a window until it holds its note.
    nev->setReadOnly(true);
    Memo1->setReadOnly(true);
    WndActImage4 = new pinlet::TWndActImage(bottompanel);
    WndActImage4->setObjectName("WndActImage4");
    WndActImage4->setClickTarget(pinlet::atCornerBottonRight);
    WndActImage4->setShowWndContent(true);
    WndActImage4->setAlignment(Qt::AlignCenter);
    WndActImage4->setCursor(Qt::SizeFDiagCursor);

    ImageList1 = new pinlet::TImageList(this);
    ImageList1->setObjectName("ImageList1");
    ImageList1->add(Artwork::PinLeaning);
    ImageList1->add(Artwork::PinUpright);

    layout->addWidget(Panel3);
    layout->addWidget(Panel2, 1);
    layout->addWidget(bottompanel);

    Panel3->installEventFilter(this);
    bottompanel->installEventFilter(this);
    WndActImage1->installEventFilter(this);
    WndActImage4->installEventFilter(this);
    // Connected after the initial "s", which is not the note's name: the caption stays the program's.
    connect(nev, &QLineEdit::textChanged, this, [this] {
        nevChange();
        userchanged();
    });
    connect(Memo1, &QPlainTextEdit::textChanged, this, [this] { userchanged(); });
    refreshpictures();
}

// Drawn for the screen the window is on, so they stay sharp at any scaling.
void TForm1::refreshpictures() {
    const qreal ratio = devicePixelRatioF();
    WndActImage1->setPixmap(ImageList1->image(0, ratio));
    Image1->setPixmap(artworkpixmap(Artwork::Floppy, ratio));
    Image2->setPixmap(artworkpixmap(Artwork::Cross, ratio));
    Image3->setPixmap(ImageList1->image(Image3->Tag, ratio));
    WndActImage4->setPixmap(artworkpixmap(Artwork::Grip, ratio));
}

bool TForm1::pinned() const {
    return Image3->Tag == 1;
}

bool TForm1::unsaved() const {
    return loaded_ && (edited_ || geometry() != savedGeometry_);
}

// The tool-window style that keeps the window off the taskbar comes with Qt::Tool.
void TForm1::FormCreate() {
    bottompanelResize();
    Panel3Resize();
}

// The program has no application window to hide. What is left of showing is the first placement: centred
// on the desktop (the primary screen), unless the opener placed the window before showing it.
void TForm1::FormShow() {
    if (shownBefore_)
        return;
    shownBefore_ = true;
    refreshpictures();
    if (!testAttribute(Qt::WA_Moved))
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->geometry().x() + (screen->geometry().width() - width()) / 2,
                 screen->geometry().y() + (screen->geometry().height() - height()) / 2);
    // Asked to open off every screen: the window goes wholly onto the nearest work area, whatever the window
    // manager does with the place first (some pull it only to the screen's edge, under a taskbar).
    const QRect asked = frameGeometry();
    const QRect onscreen = pinlet::bringonscreen(asked, Panel3->height(), workareas());
    if (onscreen != asked) {
        offscreenAsk_ = onscreen;
        placement_.setRemainingTime(kPlacementMs);
    }
    scheduleonscreencheck();
}

// The flag is set only once the note has been read: a failed read leaves the window to try again at its
// next activation, instead of passing an empty window off as the loaded note. Until then name and text
// stay read-only, the text field says why, and the window writes nothing to the note.
void TForm1::FormActivate() {
    if (loaded_)
        return;
    Tnotestate note;
    try {
        note = zkpldm->readjegyzet(id_);
    } catch (const std::exception& failure) {
        Memo1->setPlaceholderText(kUnreadNote.arg(QString::fromUtf8(failure.what())));
        // The box hands the focus back, which activates the window and reads again: the same failure is
        // shown once, and the text field keeps saying it.
        if (readfailure_ == failure.what())
            return;
        readfailure_ = failure.what();
        // The geometry saves at deactivation fail the same way; this box says it for them.
        failureShown_ = true;
        throw;
    }
    loaded_ = true;
    shownote(std::move(note));
    readfailure_.clear();
    Memo1->setPlaceholderText(QString());
    nev->setReadOnly(false);
    Memo1->setReadOnly(false);
    if (selectOnLoad_)
        selecttextonload();
}

void TForm1::selecttextonload() {
    selectOnLoad_ = !loaded_;
    if (loaded_) {
        Memo1->selectAll();
        Memo1->setFocus();
    }
}

void TForm1::FormDeactivate() {
    // The box of a failed close or autosave takes the focus from this window: its geometry save, failing
    // the same way, says nothing more until a save succeeds.
    try {
        savetoposdb();
    } catch (const std::exception& failure) {
        if (!failureShown_) {
            failureShown_ = true;
            pinlet::showfailure(failure.what());
        }
    }
    saveedits();
    if (pinned() || !showNotice_)
        return;
    // The notice rises in a loop in which the program goes on, so it is shown from the event loop, not
    // from inside the activation being delivered: the window being activated may be closed and destroyed
    // meanwhile (a press on its cross activates it, the release closes it), and that delivery still
    // holds it. The call is dropped if this window goes first; it may be gone once the notice has risen.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (showNotice_)
                showNotice_(kReopenHint);
        },
        Qt::QueuedConnection);
}

bool TForm1::savetodb() {
    // A note the window never read is not the window's to write.
    if (!loaded_)
        return false;
    // Unedited, the note goes back as it was read, byte for byte.
    const Tjegyzet note =
        edited_ ? Tjegyzet{nev->text().toStdString(), Memo1->storedText()} : stored_.jegyzet;
    if (blank(note.jegyzet))
        return false;
    const Tcheckedsave result = zkpldm->savejegyzetif(id_, stored_, note);
    if (result.saved) {
        stored_ = result.current;
        edited_ = false;
    } else if (!edited_) {
        // Someone else changed the note, and the window holds nothing of its own: it shows their version.
        if (result.current.exists)
            shownote(result.current);
        else
            stored_ = result.current;
    } else {
        saveconflict(note, result.current.exists);
    }
    savetoposdb();
    return true;
}

// The window's edits met another writer's change: theirs stays in the note, the window's goes into a note
// of its own, which the window holds from then on.
void TForm1::saveconflict(const Tjegyzet& note, bool theirsstands) {
    // A note removed for good leaves no other version to tell apart from: the edits keep its name.
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    Tjegyzet apart{theirsstands ? labellednotename(note.nev, "ütközés, " + stamp.toStdString()) : note.nev,
                   note.jegyzet};
    id_ = zkpldm->savejegyzet(-1, apart);
    stored_ = zkpldm->readjegyzet(id_);
    shownote(stored_);
    if (showNotice_) {
        const QString name = QString::fromStdString(stored_.jegyzet.nev).toHtmlEscaped();
        QMetaObject::invokeMethod(
            this,
            [this, name] {
                if (showNotice_)
                    showNotice_(kConflictNotice.arg(name));
            },
            Qt::QueuedConnection);
    }
}

// Fills the fields from the store's version, which the window holds unedited from then on.
void TForm1::shownote(Tnotestate note) {
    loading_ = true;
    if (nev->text().toStdString() != note.jegyzet.nev)
        nev->setText(QString::fromStdString(note.jegyzet.nev));
    if (Memo1->storedText() != note.jegyzet.jegyzet)
        Memo1->setStoredText(note.jegyzet.jegyzet);
    loading_ = false;
    edited_ = false;
    stored_ = std::move(note);
}

void TForm1::followstore() {
    if (!loaded_ || edited_ || saving_ || closed_)
        return;
    try {
        const Tnotestate now = zkpldm->readjegyzet(id_);
        if (now.exists && now != stored_)
            shownote(now);
    } catch (const std::exception&) {
        // Only a refresh: the next save checks again and says what fails.
    }
}

void TForm1::savetoposdb() {
    const std::string prefix = "j_" + std::to_string(id_) + "_";
    const QRect outer = frameGeometry();
    zkpldm->setsetup(prefix + "top", std::to_string(outer.top()));
    zkpldm->setsetup(prefix + "left", std::to_string(outer.left()));
    zkpldm->setsetup(prefix + "width", std::to_string(outer.width()));
    zkpldm->setsetup(prefix + "height", std::to_string(outer.height()));
    zkpldm->closedb();
    savedGeometry_ = geometry();
}

void TForm1::FormClose() {
    // The close saves now: an autosave still pending would only try the same save again, and report the
    // same failure a second time while the close's own report is open.
    autosave_.stop();
    savetodb();
    zkpldm->changed = 1;
    std::erase(zkpldm->openforms, this);
    closed_ = true;
    autosave_.stop();
}

// A close from the window manager (or anything but the cross) runs the same close handling; when it fails
// the failure box says why and the window stays.
void TForm1::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        try {
            FormClose();
        } catch (const std::exception& failure) {
            event->ignore();
            failureShown_ = true;
            pinlet::showfailure(failure.what());
            return;
        }
    }
    event->accept();
}

void TForm1::Image1Click() {
    savetodb();
}

void TForm1::Image2Click() {
    try {
        FormClose();
    } catch (const std::exception& failure) {
        // Shown here; the autosave does not show it again until a save succeeds.
        failureShown_ = true;
        errordlg(failure.what());
        return;
    }
    close();
}

void TForm1::discard() {
    autosave_.stop();
    closed_ = true;
    if (zkpldm)
        std::erase(zkpldm->openforms, this);
    close();
}

void TForm1::Image3Click() {
    Image3->Tag = 1 - Image3->Tag;
    Image3->setPixmap(ImageList1->image(Image3->Tag, devicePixelRatioF()));
    const bool onTop = Image3->Tag == 1;
    // Only the z-order changes: the flag goes to the native window directly, since setting it on a shown
    // widget would hide and recreate it (a jump, and the focus lost).
    Qt::WindowFlags flags = windowFlags();
    flags.setFlag(Qt::WindowStaysOnTopHint, onTop);
    overrideWindowFlags(flags);
    if (QWindow* handle = windowHandle())
        handle->setFlags(flags);
#ifdef Q_OS_WIN
    SetWindowPos(reinterpret_cast<HWND>(winId()), onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE);
#endif
}

void TForm1::Panel3Resize() {
    WndActImage1->setGeometry(Panel3->rect());
    const int width = WndActImage1->width();
    Image2->move(width - 36, Image2->y());
    Image3->move(width / 2 - Image3->width() / 2, Image3->y());
}

void TForm1::bottompanelResize() {
    nev->setGeometry(0, 0, bottompanel->width() - 18, bottompanel->height());
    WndActImage4->setGeometry(bottompanel->width() - 16, 0, 16, 19);
}

void TForm1::nevChange() {
    // Qt reads "[*]" in a caption as the place of its modified mark and drops it; written twice it shows
    // once, so the caption is the name as typed.
    QString caption = nev->text();
    caption.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(caption);
}

void TForm1::ApplicationEvents1Activate() {
    setWindowOpacity(1.0);
}

// Another program is in front: the note fades a little, and what was typed goes to the store now.
void TForm1::ApplicationEvents1Deactivate() {
    setWindowOpacity(kInactiveOpacity);
    saveedits();
}

bool TForm1::saveedits() {
    autosave_.stop();
    if (!edited_ || !loaded_ || saving_ || closed_)
        return true;
    saving_ = true;
    try {
        savetodb();
        saving_ = false;
        failureShown_ = false;
        return true;
    } catch (const std::exception& failure) {
        saving_ = false;
        // Once, not at every keystroke; the text stays in the window for the next try.
        if (!failureShown_) {
            failureShown_ = true;
            pinlet::showfailure(failure.what());
        }
        return false;
    }
}

void TForm1::userchanged() {
    if (loading_ || closed_)
        return;
    edited_ = true;
    autosave_.start();
}

bool TForm1::event(QEvent* event) {
    if (event->type() == pinlet::ProgramActivation::activateEvent()) {
        FormActivate();
        return true;
    }
    if (event->type() == pinlet::ProgramActivation::deactivateEvent()) {
        // A window that has closed has saved already and is on its way out.
        if (!closed_)
            FormDeactivate();
        return true;
    }
    if (event->type() == QEvent::ScreenChangeInternal)
        refreshpictures();
    return QWidget::event(event);
}

void TForm1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    pinlet::keepofftaskbar(*this);
    FormShow();
}

void TForm1::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    scheduleonscreencheck();
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    scheduleonscreencheck();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    // Moved or sized by the user: the place is the user's from now on.
    if (event->type() == QEvent::MouseButtonPress && (watched == WndActImage1 || watched == WndActImage4))
        offscreenAsk_ = QRect();
    if (event->type() == QEvent::Resize) {
        if (watched == Panel3)
            Panel3Resize();
        else if (watched == bottompanel)
            bottompanelResize();
    }
    return QWidget::eventFilter(watched, event);
}

// Checked once the geometry has settled (the opener sets its four edges one by one), and not while a
// button is held, so a drag in progress is never fought.
void TForm1::scheduleonscreencheck() {
    if (!isVisible() || onscreenCheckDue_)
        return;
    onscreenCheckDue_ = true;
    QTimer::singleShot(0, this, [this] {
        onscreenCheckDue_ = false;
        // While the window is being placed, a button still held is the press that opened it (on the list);
        // a press on the window's own handles ends the placement first.
        const bool placing = !offscreenAsk_.isNull() && !placement_.hasExpired();
        if (placing || QGuiApplication::mouseButtons() == Qt::NoButton)
            keeponscreen();
    });
}

void TForm1::keeponscreen() {
    QRect wanted = pinlet::bringonscreen(frameGeometry(), Panel3->height(), workareas());
    if (!offscreenAsk_.isNull() && !placement_.hasExpired())
        wanted = offscreenAsk_;
    if (wanted != frameGeometry()) {
        move(wanted.topLeft());
        resize(wanted.size());
    }
}
