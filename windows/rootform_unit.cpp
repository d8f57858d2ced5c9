#include "windows/rootform_unit.h"

#include "assets/Artwork.h"
#include "controls/MiniHtmlLabel.h"
#include "controls/MiniHtmlPopup.h"
#include "controls/MiniHtmlStaticText.h"
#include "minihtml/ContainedName.h"
#include "platform/Autostart.h"
#include "shell/PinletApplication.h"
#include "shell/TaskbarSkip.h"
#include "shell/helpers.h"
#include "store/zkpldm_unit.h"
#include "windows/ConflictCopyOffer.h"
#include "windows/ExitSave.h"
#include "windows/ListRows.h"
#include "windows/MenuNames.h"
#include "windows/NoteBackups.h"
#include "windows/ProgramActivation.h"
#include "windows/TImage.h"
#include "windows/WindowLook.h"
#include "windows/WndActImg.h"
#include "windows/mainform_unit.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <stdexcept>
#include <utility>

using pinlet::Artwork;
using pinlet::artworkpixmap;

namespace {

const QColor kListColour(0xFF, 0xFF, 0x80);
constexpr int kBarHeight = 41;
constexpr int kListBorder = 8;
constexpr int kBannerHeight = 20;
constexpr int kHandleWidth = 2;
// The search field sits in the top bar between the waste bin and the cross.
constexpr int kSearchLeft = 115;
constexpr int kSearchTop = 9;
constexpr int kSearchHeight = 23;

const char kRemoveMode[] = "remove";
const char kRestoreMode[] = "restore";

void paint(QWidget& widget, const QColor& colour) {
    pinlet::paintbackground(widget, QPalette::Window, colour);
}

// A face by its classic name, or a look-alike with every Hungarian letter.
QFont sansface(const QString& family, int pixels, bool bold = false) {
    return pinlet::windowface({family, "Liberation Sans", "DejaVu Sans"}, QFont::SansSerif, pixels, bold);
}

std::int32_t low32(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

// A move or resize handle: it hands the window to the system's own loop, redrawing the contents meanwhile.
pinlet::TWndActImage* handle(QWidget* parent, const char* name, pinlet::TClickTargets target,
                             Qt::CursorShape cursor) {
    auto* image = new pinlet::TWndActImage(parent);
    image->setObjectName(QString::fromLatin1(name));
    image->setClickTarget(target);
    image->setShowWndContent(true);
    image->setCursor(cursor);
    return image;
}

QString nametext(TForm1& window) {
    const QLineEdit* name = window.findChild<QLineEdit*>(QStringLiteral("nev"));
    return name ? name->text() : QString();
}

// What a note whose name shows nothing is listed as.
std::string unnamed(std::int32_t id) {
    return std::to_string(id) + ". jegyzet";
}

} // namespace

QPoint listwindowposition(const QRect& workArea, const QSize& size) {
    return {workArea.x() + workArea.width() - size.width() - 4,
            workArea.y() + workArea.height() - size.height() - 4};
}

TForm2::TForm2(std::unique_ptr<pinlet::TrayShell> trayshell)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QString::fromUtf8(pinlet::kApplicationTitle));
    resize(612, 285);
    // The handles can shrink it; the bar's pictures, a row of the list and the banner stay usable.
    setMinimumSize(150, kBarHeight + 2 * kListBorder + 20 + kBannerHeight + kHandleWidth);
    paint(*this, pinlet::kBarColour);
    setFont(pinlet::windowfont());
    buildcomponents();
    pinlet::ProgramActivation::install();

    trayicon_ = trayshell ? new pinlet::TTrayIcon(this, std::move(trayshell)) : new pinlet::TTrayIcon(this);
    trayicon_->setObjectName(QStringLiteral("trayicon"));
    trayicon_->setHint(QString::fromUtf8(pinlet::kApplicationTitle));
    trayicon_->setIcon(pinlet::programicon());
    trayicon_->setPopupMenu(PopupMenu1_);
    trayicon_->OnClick = [this](QObject* sender, pinlet::TMouseButton button, pinlet::TShiftState shift,
                                int x, int y) { trayiconClick(sender, button, shift, x, y); };
    trayicon_->Loaded();

    // A taskbar that comes up late (the program started before the panel), moves or resizes, or a new
    // screen resolution: the shown list keeps to the work area's corner.
    const auto follow = [this] {
        if (isVisible() && !isMinimized() && !userplaced_)
            placeinworkarea();
    };
    const auto watch = [this, follow](QScreen* screen) {
        connect(screen, &QScreen::availableGeometryChanged, this, follow);
        connect(screen, &QScreen::geometryChanged, this, follow);
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, watch);
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, follow);

    trayretry_.setInterval(kTrayRetryMs);
    connect(&trayretry_, &QTimer::timeout, this, [this] { checktray(); });
    settraymode(trayicon_->Registered());
}

// The note windows belong to the application, not to this window; start-up destroys them first.
TForm2::~TForm2() = default;

void TForm2::buildcomponents() {
    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    paint(*Panel3, pinlet::kBarColour);
    // Created first, so the pictures lie above it.
    WndActImage1 = handle(Panel3, "WndActImage1", pinlet::atCaption, Qt::SizeAllCursor);
    WndActImage1->setAlignment(Qt::AlignCenter);
    WndActImage1->installEventFilter(this);

    btn_new = new pinlet::TImage(Panel3);
    btn_new->setObjectName(QStringLiteral("btn_new"));
    btn_new->setGeometry(9, 5, 30, 30);
    btn_new->OnClick = [this] { pinlet::runhandler([this] { btn_newClick(); }); };

    btn_remove = new pinlet::TImage(Panel3);
    btn_remove->setObjectName(QStringLiteral("btn_remove"));
    btn_remove->setGeometry(73, 4, 30, 30);
    btn_remove->OnClick = [this] { pinlet::runhandler([this] { btn_removeClick(); }); };

    Image2 = new pinlet::TImage(Panel3);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(0, 6, 23, 28);
    Image2->OnClick = [this] { pinlet::runhandler([this] { Image2Click(); }); };
    Panel3->installEventFilter(this);

    kereses = new QLineEdit(Panel3);
    kereses->setObjectName(QStringLiteral("kereses"));
    kereses->setFont(sansface(QStringLiteral("Arial"), 14));
    kereses->setPlaceholderText(QStringLiteral("Keresés"));
    kereses->setStyleSheet(
        QStringLiteral("QLineEdit { background: #FFFF80; color: #3B3000; border: 1px solid "
                       "#896C07; border-radius: 3px; padding: 0 4px; "
                       "selection-background-color: #896C07; }"));
    kereses->hide();
    kereses->installEventFilter(this);
    // The store keeps the file open from one keystroke's search to the next; a pause in the typing lets
    // go of it, as other programs (synchronising ones) may want to replace the file.
    searchpause_ = new QTimer(this);
    searchpause_->setSingleShot(true);
    searchpause_->setInterval(kSearchPause);
    connect(searchpause_, &QTimer::timeout, this, [this] { zkpldm->keresesvege(); });
    connect(kereses, &QLineEdit::textChanged, this, [this] {
        highlighted_ = -1;
        pinlet::runhandler([this] { showitems(); });
    });
    setFocusPolicy(Qt::StrongFocus);

    Panel2 = new QWidget(this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    paint(*Panel2, kListColour);
    MiniHtmlLabel1 = new TMiniHtmlLabel(Panel2);
    MiniHtmlLabel1->setObjectName(QStringLiteral("MiniHtmlLabel1"));
    MiniHtmlLabel1->setFont(sansface(QStringLiteral("Arial"), 16));
    MiniHtmlLabel1->setColor(ColorFromRgb(0xFF, 0xFF, 0x80));
    MiniHtmlLabel1->setURLColor(ColorFromRgb(0x89, 0x6C, 0x07));
    MiniHtmlLabel1->setShadowColor(ColorFromRgb(0xFF, 0xFF, 0xFF));
    MiniHtmlLabel1->setShadowOffset(1);
    MiniHtmlLabel1->setVAlignment(TVAlignment::tvaTop);
    MiniHtmlLabel1->setAnchorHint(false);
    MiniHtmlLabel1->setHover(false);
    MiniHtmlLabel1->setAutoSizing(false);
    MiniHtmlLabel1->setEllipsis(false);
    // A list longer than the label scrolls, or the notes past its last row could not be opened.
    MiniHtmlLabel1->setScrolling(true);
    MiniHtmlLabel1->setOnAnchorClick(
        [this](QObject* sender, const std::string& anchor) { MiniHtmlLabel1AnchorClick(sender, anchor); });

    WndActImage3 = handle(this, "WndActImage3", pinlet::atBorderRight, Qt::SizeHorCursor);

    banner = new TMiniHtmlStaticText(this);
    banner->setObjectName(QStringLiteral("banner"));
    banner->setFont(sansface(QStringLiteral("Arial"), 13, true));
    banner->setColor(ColorFromRgb(0xEE, 0xEE, 0xB5));
    banner->setHover(true);
    banner->setHoverFontColor(ColorFromRgb(0x00, 0x00, 0xFF));
    banner->setShadowColor(ColorFromRgb(0xFF, 0xFF, 0x80));
    banner->setShadowOffset(1);
    banner->setURLColor(ColorFromRgb(0x37, 0x26, 0x8A));
    banner->setVAlignment(TVAlignment::tvaCenter);
    banner->setCursor(Qt::PointingHandCursor);
    banner->setProperty("Tag", 0);
    if (zkpldm && !zkpldm->banners.empty())
        banner->setHTMLText(zkpldm->banners.front());

    WndActImage2 = handle(this, "WndActImage2", pinlet::atBorderBottom, Qt::SizeVerCursor);

    PopupMenu1_ = new QMenu(this);
    PopupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    connect(PopupMenu1_, &QMenu::aboutToShow, this,
            [this] { pinlet::runhandler([this] { PopupMenu1Popup(); }); });

    MiniHtmlPopup1_ = new TMiniHtmlPopup(this);
    MiniHtmlPopup1_->setObjectName(QStringLiteral("MiniHtmlPopup1"));
    MiniHtmlPopup1_->setAlwaysOnTop(false);
    MiniHtmlPopup1_->setAutoHide(true);
    MiniHtmlPopup1_->setAutoSize(true);
    MiniHtmlPopup1_->setAutoSizeType(asdBoth);
    MiniHtmlPopup1_->setBorderSize(0);
    MiniHtmlPopup1_->setColor(ColorFromRgb(0xFF, 0xFF, 0x80));
    CanvasFont popupfont;
    popupfont.Face = "Arial";
    popupfont.PixelHeight = 12;
    popupfont.Color = SystemColor(kSystemWindowText);
    MiniHtmlPopup1_->setFont(popupfont);
    MiniHtmlPopup1_->setHover(false);
    MiniHtmlPopup1_->setMarginX(5);
    MiniHtmlPopup1_->setMarginY(5);
    MiniHtmlPopup1_->setRollUpSpace(0);
    MiniHtmlPopup1_->setShadeEnable(true);
    MiniHtmlPopup1_->setShadeStartColor(ColorFromRgb(0xFF, 0xFF, 0xC4));
    MiniHtmlPopup1_->setShadeEndColor(ColorFromRgb(0xFF, 0xFF, 0x80));
    MiniHtmlPopup1_->setShadeSteps(40);
    MiniHtmlPopup1_->setShadeDirection(sdVertical);
    MiniHtmlPopup1_->setPopupWidth(250);
    MiniHtmlPopup1_->setPopupHeight(200);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, [this] { pinlet::runhandler([this] { Timer1Timer(); }); });
    Timer1->start();
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(50000);
    connect(Timer2, &QTimer::timeout, this, [this] { pinlet::runhandler([this] { Timer2Timer(); }); });
    Timer2->start();

    // Plain text in the markup of the popup: a path or a message never turns into tags.
    backups_ =
        new TNoteBackups(this, [popup = QPointer<TMiniHtmlPopup>(MiniHtmlPopup1_)](const QString& notice) {
            if (!popup)
                return;
            QString escaped = notice;
            escaped.replace('&', QStringLiteral("&amp;"))
                .replace('<', QStringLiteral("&lt;"))
                .replace('>', QStringLiteral("&gt;"));
            popup->setText(escaped);
            popup->RollUp();
        });
    backups_->start();
    conflicts_ = new TConflictCopyOffer(this, backups_->notice());
    conflicts_->start();

    refreshpictures();
    layoutcomponents();
}

// From top to bottom: the bar, the list with the right-edge handle beside it, the banner, the bottom handle.
void TForm2::layoutcomponents() {
    const int w = width();
    const int h = height();
    const int middle = std::max(0, h - kBarHeight - kBannerHeight - kHandleWidth);
    Panel3->setGeometry(0, 0, w, kBarHeight);
    Panel2->setGeometry(0, kBarHeight, std::max(0, w - kHandleWidth), middle);
    MiniHtmlLabel1->setGeometry(kListBorder, kListBorder, std::max(0, Panel2->width() - 2 * kListBorder),
                                std::max(0, middle - 2 * kListBorder));
    WndActImage3->setGeometry(w - kHandleWidth, kBarHeight, kHandleWidth, middle);
    banner->setGeometry(0, h - kHandleWidth - kBannerHeight, w, kBannerHeight);
    WndActImage2->setGeometry(0, h - kHandleWidth, w, kHandleWidth);
}

// Drawn for the screen the window is on, so they stay sharp at any scaling.
void TForm2::refreshpictures() {
    const qreal ratio = devicePixelRatioF();
    WndActImage1->setPixmap(artworkpixmap(Artwork::PinLeaning, ratio));
    btn_new->setPixmap(artworkpixmap(Artwork::NewNote, ratio));
    btn_remove->setPixmap(artworkpixmap(Artwork::WasteBin, ratio));
    Image2->setPixmap(artworkpixmap(Artwork::Cross, ratio));
}

// Placed before the list is read, so a store that fails leaves the window in its corner all the same.
void TForm2::FormCreate() {
    mode.clear();
    placeinworkarea();
    const sqldb::FileStamp before = sqldb::filestamp(zkpldm->db.databasename());
    showitems();
    readatcreation_ = before;
}

// The program has no application window of its own to hide: its windows keep off the taskbar themselves.
// The work area may have changed while the window was hidden: it is placed anew at every showing.
void TForm2::FormShow() {
    userplaced_ = false;
    placeinworkarea();
}

void TForm2::placeinworkarea() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(listwindowposition(screen->availableGeometry(), frameGeometry().size()));
}

// The failure box of a rebuild that fails hands the focus back to this window when it closes, which
// activates the window again: the same failure would come back without end. It is shown once, until a
// rebuild succeeds again.
void TForm2::FormActivate() {
    // The first activation comes right after start-up: reading a long list again then would double the
    // time until the window stands, for the same list.
    if (const std::optional<sqldb::FileStamp> read = std::exchange(readatcreation_, std::nullopt);
        read && read->present && zkpldm->changed == 0 &&
        *read == sqldb::filestamp(zkpldm->db.databasename())) {
        activationfailure_.clear();
        readysearch();
        return;
    }
    try {
        showitems();
        activationfailure_.clear();
        readysearch();
    } catch (const std::exception& failure) {
        if (failure.what() == activationfailure_)
            return;
        activationfailure_ = failure.what();
        throw;
    }
}

void TForm2::showitems() {
    zkpldm->changed = 0;
    const bool restoring = mode == kRestoreMode;
    std::string text;
    int lines = 0;
    if (mode == kRemoveMode) {
        text = kRemoveHeader.toStdString();
    } else if (restoring) {
        text = kRestoreHeader.toStdString() + "<br>";
        lines = 1;
    }
    // Kept apart until the list is read whole: a failure half-way leaves the list shown as it was.
    std::vector<std::int32_t> shown;
    std::vector<int> shownline;
    bool highlightshown = false;
    // The rows follow one another without line ends, which the label would only take out again.
    const auto addrow = [&](std::int32_t id, std::string_view nev, const std::string& snippet) {
        highlightshown = highlightshown || id == highlighted_;
        shown.push_back(id);
        shownline.push_back(lines);
        lines += snippet.empty() ? 1 : 2;
        appendlistrow(text, id, nev, id == highlighted_, snippet);
    };
    bool searched = false;
    std::size_t more = 0;
    bool counted = true;
    if (searching() && !kereses->text().trimmed().isEmpty() && zkpldm->searchunavailable().empty()) {
        // A short prefix finds thousands; the best of them are shown, and a few more keystrokes the rest.
        const Tfoundpage page =
            zkpldm->keresoldal(kereses->text().toStdString(), restoring, kShownMatches, true);
        searchpause_->start();
        for (const Tfoundnote& note : page.notes)
            addrow(note.id, note.nev, note.snippet);
        more = page.total - page.notes.size();
        counted = page.counted;
        searched = true;
    } else {
        static const std::string nosnippet;
        zkpldm->eachlistednote(restoring,
                               [&](std::int32_t id, std::string_view nev) { addrow(id, nev, nosnippet); });
    }
    shownline.push_back(lines);
    // A rebuild keeps the highlight on its note while the note is listed.
    if (!highlightshown)
        highlighted_ = -1;
    if (restoring && shown.empty() && !searched)
        text += kNoDeleted.toStdString();
    else if (searched && shown.empty())
        text += kNothingFound.toStdString();
    else if (more > 0)
        text += (counted ? kMoreFound : kAtLeastMoreFound).arg(more).toStdString();
    shown_ = std::move(shown);
    shownline_ = std::move(shownline);
    shown_.shrink_to_fit(); // kept while the list is shown
    shownline_.shrink_to_fit();
    MiniHtmlLabel1->setHTMLText(std::move(text));
}

// Once the list stands, the search is readied for a first letter typed within the pause; a pause lets go of
// the file as after a keystroke. A failure here is no failure of anything the user did: the search the
// keystroke starts meets it again and says so.
void TForm2::readysearch() {
    QTimer::singleShot(kReadySearchDelay, this, [this] {
        if (!isVisible() || searching() || !zkpldm->searchunavailable().empty() || zkpldm->db.intransaction())
            return;
        try {
            zkpldm->keresesrekeszul();
            searchpause_->start();
        } catch (const std::exception&) {
        }
    });
}

bool TForm2::searching() const {
    return !kereses->isHidden();
}

void TForm2::startsearch(const QString& typed) {
    if (!zkpldm->searchunavailable().empty()) {
        // Said once; the list still works from the keyboard without it.
        if (!searchnoticed_) {
            searchnoticed_ = true;
            MiniHtmlPopup1_->setText(QString::fromStdString(zkpldm->searchunavailable()));
            MiniHtmlPopup1_->RollUp();
        }
        return;
    }
    const bool opening = !searching();
    kereses->show();
    kereses->setFocus();
    if (opening && !typed.isEmpty())
        kereses->setText(typed);
    else if (!typed.isEmpty())
        kereses->insert(typed);
    else
        kereses->selectAll();
}

void TForm2::endsearch() {
    searchpause_->stop();
    zkpldm->keresesvege();
    const bool had = !kereses->text().isEmpty();
    kereses->hide();
    setFocus();
    kereses->blockSignals(true);
    kereses->clear();
    kereses->blockSignals(false);
    if (had)
        showitems();
}

void TForm2::movehighlight(int step) {
    if (shown_.empty())
        return;
    const auto at = std::find(shown_.begin(), shown_.end(), highlighted_);
    std::ptrdiff_t position =
        at == shown_.end() ? (step > 0 ? -1 : std::ptrdiff_t(shown_.size())) : at - shown_.begin();
    position = std::clamp<std::ptrdiff_t>(position + step, 0, std::ptrdiff_t(shown_.size()) - 1);
    highlighted_ = shown_[std::size_t(position)];
    showitems();
    scrolltohighlight();
}

// The label lays the rows out only as it paints; each row's share of the text's height places it.
void TForm2::scrolltohighlight() {
    const auto at = std::find(shown_.begin(), shown_.end(), highlighted_);
    if (at == shown_.end() || !MiniHtmlLabel1->Scrolling())
        return;
    MiniHtmlLabel1->repaint();
    const int lines = std::max(1, shownline_.back());
    const int height = MiniHtmlLabel1->textHeight();
    const std::size_t position = std::size_t(at - shown_.begin());
    const int top = height * shownline_[position] / lines;
    const int bottom = height * shownline_[position + 1] / lines;
    const int offset = MiniHtmlLabel1->scrollOffset();
    if (top < offset)
        MiniHtmlLabel1->setScrollOffset(top);
    else if (bottom > offset + MiniHtmlLabel1->height())
        MiniHtmlLabel1->setScrollOffset(bottom - MiniHtmlLabel1->height());
}

void TForm2::openhighlighted() {
    std::int64_t id = highlighted_;
    if (std::find(shown_.begin(), shown_.end(), id) == shown_.end()) {
        if (shown_.empty())
            return;
        id = shown_.front();
    }
    MiniHtmlLabel1AnchorClick(MiniHtmlLabel1, std::to_string(id));
}

bool TForm2::listkey(const QKeyEvent& key) {
    const bool plain = (key.modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0;
    if (key.matches(QKeySequence::Find)) {
        startsearch(QString());
        return true;
    }
    if (!plain)
        return false;
    switch (key.key()) {
    case Qt::Key_Up:
        movehighlight(-1);
        return true;
    case Qt::Key_Down:
        movehighlight(1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        openhighlighted();
        return true;
    case Qt::Key_Escape:
        if (searching())
            endsearch();
        else
            Image2Click();
        return true;
    default:
        return false;
    }
}

void TForm2::keyPressEvent(QKeyEvent* event) {
    pinlet::runhandler([this, event] {
        if (listkey(*event))
            return;
        const QString typed = event->text();
        const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!command && !typed.isEmpty() && typed.front().isPrint()) {
            startsearch(typed);
            return;
        }
        QWidget::keyPressEvent(event);
    });
}

void TForm2::MiniHtmlLabel1AnchorClick(QObject*, const std::string& anchor) {
    if (!mode.empty() && anchor == "cancel") {
        mode.clear();
        showitems();
    } else if (mode.empty()) {
        const std::int32_t id = low32(strtoint64(anchor));
        openjegyzet(id);
        TForm1* opened = nullptr;
        for (TForm1* open : zkpldm->openforms)
            if (open->id() == id)
                opened = open;
        pressedTwice_ = opened && opened == pressedNote_ && pressedAt_.isValid() &&
                        pressedAt_.elapsed() <= QApplication::doubleClickInterval();
        if (!pressedTwice_) {
            pressedNote_ = opened;
            pressedAt_.start();
        }
    } else if (mode == kRemoveMode) {
        if (confirmdlg(kConfirmDelete.toStdString()) != 6)
            return;
        mode.clear();
        // The list follows within a second: the delete sets the change flag.
        const std::int32_t id = low32(strtoint64(anchor));
        zkpldm->deletejegyzet(id);
        marknotedeleted(id, true);
    } else if (mode == kRestoreMode) {
        mode.clear();
        const std::int32_t id = low32(strtoint64(anchor));
        zkpldm->restorejegyzet(id);
        marknotedeleted(id, false);
        // At once: a second press on the old list would open a note that is not back in it.
        showitems();
    }
}

void TForm2::openjegyzet(std::int32_t id) {
    TForm1* window = nullptr;
    for (TForm1* open : zkpldm->openforms)
        if (open->id() == id)
            window = open;

    // The saved place is read first, so a new window opens where it was left instead of jumping there.
    const std::string prefix = "j_" + std::to_string(id) + "_";
    QRect saved;
    const bool placed = !zkpldm->getsetup(prefix + "top").empty();
    if (placed) {
        saved.setTop(low32(strtoint64(zkpldm->getsetup(prefix + "top"))));
        saved.setLeft(low32(strtoint64(zkpldm->getsetup(prefix + "left"))));
        saved.setWidth(low32(strtoint64(zkpldm->getsetup(prefix + "width"))));
        saved.setHeight(low32(strtoint64(zkpldm->getsetup(prefix + "height"))));
    }
    zkpldm->closedb();

    if (!window) {
        window = new TForm1();
        window->setLoaded(false);
        window->setId(id);
        window->setShowNotice(
            [self = QPointer<TForm2>(this), note = QPointer<TForm1>(window)](const QString& notice) {
                if (self)
                    self->shownotice(note, notice);
            });
        zkpldm->openforms.push_back(window);
    }
    if (placed)
        window->setGeometry(saved);
    window->show();
    window->raise();
    window->activateWindow();
}

// The new note's text is a placeholder: selected, the first words typed replace it.
void TForm2::btn_newClick() {
    const std::int32_t id = zkpldm->savejegyzet(-1, Tjegyzet{"Új jegyzet", "Ez egy új jegyzet"});
    openjegyzet(id);
    for (TForm1* open : zkpldm->openforms)
        if (open->id() == id)
            open->selecttextonload();
    Image2Click();
}

void TForm2::btn_removeClick() {
    mode = kRemoveMode;
    showitems();
}

// Without a tray the window would be lost once hidden: it goes to the taskbar instead.
void TForm2::Image2Click() {
    if (traymode_)
        hide();
    else
        showMinimized();
}

void TForm2::Panel3Resize() {
    WndActImage1->setGeometry(Panel3->rect());
    Image2->move(WndActImage1->width() - 36, Image2->y());
    kereses->setGeometry(kSearchLeft, kSearchTop, std::max(40, Image2->x() - 12 - kSearchLeft),
                         kSearchHeight);
}

// The second press of a double-click on a name activates the list for a moment after the first press
// opened the note: the note's notice waits out the double-click and is dropped when the second press came.
void TForm2::shownotice(const QPointer<TForm1>& window, const QString& text) {
    if (window && window == pressedNote_) {
        const qint64 left = QApplication::doubleClickInterval() - pressedAt_.elapsed();
        if (!pressedTwice_ && left >= 0) {
            QTimer::singleShot(int(left) + 1, this, [this, window, text] { shownotice(window, text); });
            return;
        }
        pressedNote_ = nullptr;
        if (pressedTwice_)
            return;
    }
    MiniHtmlPopup1_->setText(text);
    MiniHtmlPopup1_->RollUp();
}

void TForm2::trayiconClick(QObject*, pinlet::TMouseButton, pinlet::TShiftState, int, int) {
    bringup();
}

void TForm2::bringup() {
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TForm2::PopupMenu1Popup() {
    PopupMenu1_->clear();
    const std::vector<TForm1*>& windows = zkpldm->openforms;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        // A menu shows plain text: the name as its list row reads, without the formatting, and never a
        // shortcut column (a tab).
        QString name = QString::fromStdString(
            ContainedNameText(nametext(*windows[i]).toStdString(), unnamed(windows[i]->id())));
        name.replace(QLatin1Char('\t'), QLatin1Char(' '));
        QAction* item = pinlet::addnameitem(*PopupMenu1_, name);
        item->setProperty("Tag", int(i));
        connect(item, &QAction::triggered, this,
                [this, item] { pinlet::runhandler([this, item] { Jegyzetmegnyitsa1Click(item); }); });
    }
    connect(PopupMenu1_->addAction(kDeletedItem), &QAction::triggered, this,
            [this] { pinlet::runhandler([this] { Trltjegyzetek1Click(); }); });
    connect(PopupMenu1_->addAction(kCompactItem), &QAction::triggered, this,
            [this] { pinlet::runhandler([this] { mrts1Click(); }); });
    backups_->addmenuitems(*PopupMenu1_);
    if (autostart_ && autostart_->supported()) {
        QAction* item = PopupMenu1_->addAction(kAutostartItem);
        item->setObjectName(QStringLiteral("Autostart1"));
        item->setCheckable(true);
        // Read when the menu opens, so an entry made or removed outside the program shows as it is.
        bool on = false;
        pinlet::runhandler([&] { on = autostart_->state() == pinlet::Autostart::State::On; });
        item->setChecked(on);
        connect(item, &QAction::triggered, this,
                [this](bool checked) { pinlet::runhandler([this, checked] { Autostart1Click(checked); }); });
    }
    PopupMenu1_->addSeparator();
    connect(PopupMenu1_->addAction(kCloseItem), &QAction::triggered, this,
            [this] { pinlet::runhandler([this] { Pinletbezrsa1Click(); }); });
}

void TForm2::setautostart(std::unique_ptr<pinlet::Autostart> autostart) {
    autostart_ = std::move(autostart);
}

void TForm2::Autostart1Click(bool checked) {
    if (!autostart_)
        return;
    if (checked)
        autostart_->enable();
    else
        autostart_->disable();
}

void TForm2::Trltjegyzetek1Click() {
    mode = kRestoreMode;
    showitems();
    bringup();
}

void TForm2::Jegyzetmegnyitsa1Click(QAction* sender) {
    const int position = sender->property("Tag").toInt();
    // The registry may have changed while the menu was open.
    if (position < 0 || std::size_t(position) >= zkpldm->openforms.size())
        return;
    TForm1* window = zkpldm->openforms[std::size_t(position)];
    window->show();
    window->raise();
    window->activateWindow();
}

void TForm2::Pinletbezrsa1Click() {
    close();
}

void TForm2::mrts1Click() {
    const QString question = kConfirmCompact.arg(zkpldm->deletedcount());
    if (confirmdlg(question.toStdString()) != 6)
        return;
    // What the compaction removes for good stays in the day's copy.
    try {
        backups_->backupnow();
    } catch (const std::exception& failure) {
        throw std::runtime_error(kCompactNoBackup.toStdString() + failure.what());
    }
    Timer1->stop();
    struct Restart {
        QTimer* timer;
        ~Restart() { timer->start(); }
    } restart{Timer1};
    // What the open windows hold goes to the store first, and a note that cannot be saved stops the
    // compaction rather than be lost with it.
    if (pinlet::ExitSave::saveopennotes(*zkpldm) != 0)
        return;
    std::vector<std::int32_t> purged;
    for (const Tlistednote& note : zkpldm->listjegyzetek(true))
        purged.push_back(note.id);
    zkpldm->compactdb();
    // A purged note's window would write the note back as a new one when it closes.
    const std::vector<TForm1*> windows = zkpldm->openforms;
    for (TForm1* window : windows)
        if (std::find(purged.begin(), purged.end(), window->id()) != purged.end())
            window->discard();
    MiniHtmlPopup1_->setText(kCompacted);
    MiniHtmlPopup1_->RollUp();
}

void TForm2::Timer1Timer() {
    // Another process, or a synchronising program replacing the file, changes notes too: the list follows,
    // and so do the open windows that hold no edits of their own (the tray menu shows their names).
    if (zkpldm->pollchanges()) {
        const std::vector<TForm1*> windows = zkpldm->openforms;
        for (TForm1* window : windows)
            window->followstore();
        conflicts_->look();
    }
    if (zkpldm->changed != 0)
        showitems();
}

// The deletion mark set or taken off here is this program's own: the note's window keeps it, and does not
// take it for another writer's change at its next save.
void TForm2::marknotedeleted(std::int32_t id, bool deleted) {
    for (TForm1* window : zkpldm->openforms)
        if (window->id() == id)
            window->setnotedeleted(deleted);
}

void TForm2::Timer2Timer() {
    if (!isVisible() || isMinimized() || zkpldm->banners.empty())
        return;
    std::size_t index = std::size_t(banner->property("Tag").toInt()) + 1;
    if (index >= zkpldm->banners.size())
        index = 0;
    banner->setProperty("Tag", int(index));
    banner->setHTMLText(zkpldm->banners[index]);
}

void TForm2::settraymode(bool tray) {
    traymode_ = tray;
    if (tray)
        trayretry_.stop();
    else
        trayretry_.start();
    Qt::WindowFlags flags = Qt::FramelessWindowHint | (tray ? Qt::Tool : Qt::Window);
    if (flags == windowFlags())
        return;
    // Changing the flags of a shown window hides it, and showing the same window again at once races the
    // window manager's withdrawal of it: handled late, the withdrawal unmaps the window shown anew, which Qt
    // still takes for shown, and no show() brings it back. A window of its own, made afresh, has no such
    // past.
    const bool visible = isVisible() && !isMinimized();
    if (isVisible())
        hide();
    if (testAttribute(Qt::WA_WState_Created))
        destroy();
    setWindowFlags(flags);
    if (visible)
        show();
}

// A notification area that appears late (the program started before the panel) or not at all.
void TForm2::checktray() {
    if (!trayicon_->Registered())
        trayicon_->setIcon(trayicon_->Icon());
    if (trayicon_->Registered() != traymode_)
        settraymode(trayicon_->Registered());
}

bool TForm2::event(QEvent* event) {
    if (event->type() == pinlet::ProgramActivation::activateEvent()) {
        FormActivate();
        return true;
    }
    if (event->type() == pinlet::ProgramActivation::deactivateEvent())
        return true;
    if (event->type() == QEvent::ScreenChangeInternal)
        refreshpictures();
    return QWidget::event(event);
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Without a tray the taskbar entry is the way back to the window.
    if (traymode_)
        pinlet::keepofftaskbar(*this);
    FormShow();
}

// Closing the list window ends the program; hiding it (its cross) does not.
void TForm2::closeEvent(QCloseEvent* event) {
    event->accept();
    QCoreApplication::quit();
}

void TForm2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutcomponents();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched == kereses && event->type() == QEvent::KeyPress) {
        bool handled = false;
        pinlet::runhandler([this, event, &handled] { handled = listkey(*static_cast<QKeyEvent*>(event)); });
        if (handled)
            return true;
    } else if (watched == Panel3 && event->type() == QEvent::Resize) {
        Panel3Resize();
    } else if (watched == WndActImage1 && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (press->button() == Qt::LeftButton)
            userplaced_ = true;
        // Without a tray, the bar's right click is where the tray menu's commands are.
        if (!traymode_ && press->button() == Qt::RightButton) {
            PopupMenu1_->popup(press->globalPosition().toPoint());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
